// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QSpinBox;

// "Stampa cartelle": prints, or saves as PDF, the series chosen, one A4 page a serie.
class PrintCartelleDialog : public QDialog {
    Q_OBJECT
public:
    explicit PrintCartelleDialog(QWidget *parent = nullptr);

private:
    void print();
    void savePdf();
    void showOutcome(const QString &text);

    QSpinBox *fromSerie_;
    QSpinBox *toSerie_;
    QLabel *outcome_;
};
