// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/help_page.h"

#include "gui/accessibility.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSvgRenderer>
#include <algorithm>

namespace {

const QString kMenuHeading = QStringLiteral("Menu Altro, con i tasti:");
const QString kWithKey = QStringLiteral("%1: %2");
const QString kMenuOnly = QStringLiteral("%1 (solo dal menu)");
const QString kMenuName = QStringLiteral("Aiuto");
// The keys that are in no menu.
const QStringList kOtherKeys{QStringLiteral("Spazio: pausa e ripresa dell'estrazione automatica"),
    QStringLiteral("Invio: conferma la chiamata di un telefono"),
    QStringLiteral("Esc: respinge la chiamata di un telefono"),
    QStringLiteral("Cifre e Invio: il numero del bussolotto, in estrazione manuale")};
const QColor kPaper(255, 255, 128);
constexpr QSize kPicture(700, 650);
// The free column of the picture, under its arrow keys and right of the callouts.
constexpr QPoint kMenuPlace(556, 100);

} // namespace

HelpPage::HelpPage(const QList<std::pair<QString, QString>> &menuKeys, QWidget *parent)
    : QWidget(parent), menuText_(new QPlainTextEdit(this))
{
    QStringList lines{kMenuHeading};
    for (const auto &[caption, key] : menuKeys) {
        QString name = caption;
        if (name.endsWith(u'…'))
            name.chop(1);
        lines << (key.isEmpty() ? kMenuOnly.arg(name) : kWithKey.arg(key, name));
    }
    lines << kOtherKeys;
    // The callouts follow in words, a line below the lines shown, for a screen reader to read on.
    menuText_->setPlainText(lines.join(u'\n') + QStringLiteral("\n\n") + kHelpInWords);
    menuText_->setReadOnly(true);
    menuText_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    menuText_->setAccessibleName(kMenuName);
    menuText_->setFrameShape(QFrame::NoFrame);
    menuText_->setLineWrapMode(QPlainTextEdit::NoWrap);
    menuText_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    menuText_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont font = menuText_->font();
    font.setPointSizeF(9);
    menuText_->setFont(font);
    QPalette palette = menuText_->palette();
    palette.setColor(QPalette::Base, kPaper);
    palette.setColor(QPalette::Text, Qt::black);
    menuText_->setPalette(palette);
    int width = 0;
    for (const QString &line : lines)
        width = std::max(width, menuText_->fontMetrics().horizontalAdvance(line));
    const int margins = 2 * (int(menuText_->document()->documentMargin()) + 2);
    menuText_->setGeometry(QRect(
        kMenuPlace, QSize(width + margins + 4, menuText_->fontMetrics().lineSpacing() * int(lines.size()) + margins)));
    menuText_->installEventFilter(this);
    hide();
}

QSize HelpPage::sizeHint() const
{
    return QSize(std::max(kPicture.width(), menuText_->geometry().right() + 4), kPicture.height()) + QSize(2, 2);
}

void HelpPage::toggle()
{
    resize(sizeHint());
    setVisible(!isVisible());
    if (!isVisible())
        return;
    raise();
    // A screen reader reads the page as it opens; the focus goes back when it closes.
    focusBefore_ = QApplication::focusWidget();
    menuText_->moveCursor(QTextCursor::Start);
    menuText_->setFocus(Qt::OtherFocusReason);
    // Read whole as it opens: a screen reader takes the caret set above for the focus, and
    // would say nothing more.
    QString keys = menuText_->toPlainText().section(u'\n', 0, -3);
    keys.replace(QStringLiteral(":\n"), QStringLiteral(": ")).replace(u'\n', QStringLiteral(". "));
    announce(window(), kHelpInWords + u' ' + keys);
}

void HelpPage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kPaper);
    const QRect page(1, 1, width() - 2, height() - 2);
    // Read the picture only when the page is first shown.
    if (!renderer_)
        renderer_ = new QSvgRenderer(QStringLiteral(":/help.svg"), this);
    renderer_->render(&painter, QRectF(page.topLeft(), QSizeF(kPicture)));
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void HelpPage::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void HelpPage::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (focusBefore_ && focusBefore_ != menuText_ && focusBefore_->isVisible())
        focusBefore_->setFocus(Qt::OtherFocusReason);
    focusBefore_ = nullptr;
}

bool HelpPage::eventFilter(QObject *watched, QEvent *event)
{
    // Escape closes the page from its text, as a click on it does.
    if (watched == menuText_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        emit clicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
