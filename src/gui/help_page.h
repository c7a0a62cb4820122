// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>
#include <utility>

class QPlainTextEdit;
class QSvgRenderer;

// The help page, drawn from its vector picture so that it stays sharp at any scale. It
// covers the board from near its top left corner, its arrows pointing out to the controls;
// beside them, as text that takes the focus while the page shows and is read whole as it
// opens, the "Altro" menu's functions and the other keys, the callouts in words after them.
class HelpPage : public QWidget {
    Q_OBJECT
public:
    // Each function of the menu and the text of its key.
    HelpPage(const QList<std::pair<QString, QString>> &menuKeys, QWidget *parent);
    // Shows the page, or hides it when it shows.
    void toggle();
    QSize sizeHint() const override;
    QPlainTextEdit *menuText() const { return menuText_; }
signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QSvgRenderer *renderer_ = nullptr;
    QPlainTextEdit *menuText_;
    // Where the focus was before the page took it.
    QPointer<QWidget> focusBefore_;
};

// The picture's callouts, in words.
inline const QString kHelpInWords = QStringLiteral(
    "Aiuto. Numero estratto: cliccando o premendo freccia su sulla tastiera viene ripetuto. "
    "Combinazioni del tabellone: premendo i pulsanti (oppure F2, F3, F4, F5 e F6 sulla tastiera) si "
    "possono forzare, come ad esempio nell'estrazione manuale o escludendo le cartelle; cliccando sulla "
    "scritta, che diventa rossa, si possono escludere. Nome: sostituire con il nome di chi possiede il "
    "tabellone. Manuale: estrazione con bussolotto. Scandito: ripete singolarmente i numeri (tasto "
    "freccia destra). Smorfia: pronuncia la smorfia napoletana (tasto freccia sinistra). Cartelle: "
    "premendo sui pulsanti si escludono le cartelle sul tabellone, se non si acquistano tutte. "
    "Ricomincia: inizia una nuova partita (tasto F12). Ricarica ultima: ricarica l'ultima partita se il "
    "programma è stato chiuso. Estrai Numero: estrae il numero (tasto freccia giù). Il logo: vai al sito "
    "Orvanet.");
