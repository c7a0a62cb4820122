// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/hall_window.h"

#include "announcer/smorfia.h"
#include "caller/caller.h"
#include "gui/banner_overlay.h"
#include "gui/board_view.h"
#include "gui/text_picture.h"
#include "gui/widget_look.h"
#include "layout/look.h"
#include "network/qr_code.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

using namespace board;

namespace {

// Every text is at least 7:1 against the green.
const QColor kCountWhite(Qt::white);

QStringList wonPrizes(const Caller &caller)
{
    QStringList won;
    for (int i = 0; i < kPrizes; ++i)
        if (caller.game().prizeBox(i) != PrizeBox::Clear && !caller.prizeLeftOut(i))
            won << kPrizeNames[i];
    if (caller.game().tombolinoOut())
        won << QStringLiteral("Tombolino");
    return won;
}

} // namespace

HallWindow::HallWindow(const Caller &caller, QWidget *parent) : QWidget(parent, Qt::Window), caller_(caller)
{
    setWindowTitle(QStringLiteral("Sorteggina - Schermo sala"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_ShowWithoutActivating);
    paintText(this, Qt::white, look::kTableGreen);
    board = new BoardView(BoardView::hallLook(), this);
    board->setAttribute(Qt::WA_TransparentForMouseEvents);
    banner = new BannerOverlay(board, caller);
    banner->setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(1280, 720);
}

QStringList HallWindow::lines() const
{
    const auto shown = caller_.shownNumber();
    const QList<int> &order = caller_.game().drawOrder();
    const QStringList lastFive = caller_.game().latest(5);
    const QStringList won = wonPrizes(caller_);
    const int next = caller_.game().prizeInPlay();
    QString playingFor = next >= 0 ? kPrizeNames[next] : QString();
    if (next < 0 && caller_.game().tombolinoPlayed() && !caller_.game().over())
        playingFor = QStringLiteral("Tombolino");
    return {shown ? QString::number(*shown) : QString(), shown ? smorfiaOf(*shown) : kSmorfiaTitle,
        QStringLiteral("Estratti: %1 di 90").arg(order.size()),
        lastFive.isEmpty() ? QString() : QStringLiteral("Ultimi: ") + lastFive.join(QStringLiteral("  ")),
        QStringLiteral("Premi usciti: ") + (won.isEmpty() ? QStringLiteral("nessuno") : won.join(QStringLiteral(", "))),
        playingFor.isEmpty() ? QStringLiteral("Partita finita") : QStringLiteral("Si gioca per: ") + playingFor};
}

void HallWindow::setPhoneAddress(const QString &url)
{
    phoneUrl_ = url;
    phoneCode_ = url.isEmpty() ? QImage() : network::qrCodeImage(url, 1);
    update();
}

QRect HallWindow::phoneCodePlace() const
{
    if (phoneCode_.isNull())
        return {};
    // Scanned from across the room: never under 200 pixels, a quarter of the height on a large screen.
    const int modules = phoneCode_.width();
    const int side = std::max(200, height() / 4) / modules * modules + modules;
    const int addressLine = std::max(16, height() / 40);
    const int left = board->width() + (width() - board->width() - side) / 2;
    return {left, height() - side - addressLine - 8, side, side};
}

void HallWindow::showGame()
{
    board->showGame(caller_.game());
    update(QRect(board->width(), 0, width() - board->width(), height()));
}

void HallWindow::openBeside(QWidget *callerWindow, const QString &rememberedScreen)
{
    QScreen *own = callerWindow->screen();
    QScreen *other = nullptr;
    for (QScreen *candidate : QGuiApplication::screens())
        if (candidate != own && (!other || candidate->name() == rememberedScreen))
            other = candidate;
    if (other) {
        setScreen(other);
        setGeometry(other->geometry());
        showFullScreen();
    } else {
        setScreen(own);
        setGeometry(QRect(own->availableGeometry().topLeft() + QPoint(40, 40), own->availableSize() * 2 / 3));
        showNormal();
    }
    showGame();
}

void HallWindow::resizeEvent(QResizeEvent *)
{
    // The side panel takes what the largest number needs; the board the rest.
    const int panel = std::max(width() * 38 / 100, height() * 6 / 10);
    board->setGeometry(0, 0, std::max(width() - panel, 1), height());
}

void HallWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect code = phoneCodePlace();
    int h = height();
    if (!code.isNull()) {
        painter.drawImage(code, phoneCode_);
        QFont font = fontOf(kArial, 10, true);
        font.setPixelSize(std::max(12, height() / 50));
        const QRect line(board->width(), code.bottom() + 4, width() - board->width(), height() - code.bottom() - 4);
        const qreal wide = textpicture::lineSize(phoneUrl_, font).width();
        if (wide > line.width() * 0.96)
            font.setPixelSize(std::max(1, int(font.pixelSize() * line.width() * 0.96 / wide)));
        textpicture::drawCentred(painter, line, phoneUrl_, font, kCountWhite);
        h = code.top() - 8;
    }
    const QRect panel(board->width(), 0, width() - board->width(), h);
    const QStringList text = lines();
    // Share of the height of each line, and the colour of its text.
    const struct {
        double share;
        QColor colour;
        bool bold;
    } rows[] = {{0.50, look::kLastNumberGreen, true}, {0.10, look::kSmorfiaSalmon, false}, {0.10, kCountWhite, true},
        {0.10, kCountWhite, false}, {0.10, look::kBannerYellow, false}, {0.10, look::kBannerYellow, true}};
    int top = 0;
    for (int i = 0; i < int(std::size(rows)); ++i) {
        const QRect row(panel.left(), top, panel.width(), int(h * rows[i].share));
        top = row.bottom() + 1;
        QFont font = fontOf(kArial, 10, rows[i].bold);
        // The last number's digits (0.72 of the font's size) stand over a third of the screen
        // high; every line fits its width.
        font.setPixelSize(std::max(1, int(row.height() * (i == 0 ? 0.96 : 0.5))));
        const qreal wide = textpicture::lineSize(text[i], font).width();
        if (wide > row.width() * 0.94)
            font.setPixelSize(std::max(1, int(font.pixelSize() * row.width() * 0.94 / wide)));
        textpicture::drawCentred(painter, row, text[i], font, rows[i].colour);
    }
}

void HallWindow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape: showNormal(); break;
    case Qt::Key_F11: isFullScreen() ? showNormal() : showFullScreen(); break;
    default: QWidget::keyPressEvent(event);
    }
}

void HallWindow::mouseDoubleClickEvent(QMouseEvent *) { showNormal(); }

void HallWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    emit closed();
}
