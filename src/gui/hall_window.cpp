// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/hall_window.h"

#include "announcer/smorfia.h"
#include "caller/caller.h"
#include "evening/auto_caller.h"
#include "evening/evening.h"
#include "gui/banner_overlay.h"
#include "gui/board_view.h"
#include "gui/text_picture.h"
#include "gui/widget_look.h"
#include "layout/look.h"
#include "network/qr_code.h"
#include "session/session.h"

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
const QString kNamesJoin = QStringLiteral(", ");
const QString kWinnerLine = QStringLiteral("%1: %2");

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

HallWindow::HallWindow(const Session &session, QWidget *parent)
    : QWidget(parent, Qt::Window), caller_(session.caller()), evening_(&session.evening()),
      autoCaller_(&session.autoCaller())
{
    setWindowTitle(QStringLiteral("Sorteggina - Schermo sala"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_ShowWithoutActivating);
    paintText(this, Qt::white, look::kTableGreen);
    board = new BoardView(BoardView::hallLook(), this);
    board->setAttribute(Qt::WA_TransparentForMouseEvents);
    banner = new BannerOverlay(board, caller_);
    banner->setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(1280, 720);
    prizeExpiry_.setSingleShot(true);
    prizeExpiry_.setInterval(kPrizeShownMs);
    connect(&prizeExpiry_, &QTimer::timeout, this, [this] {
        prizeShown_.clear();
        update();
    });
    nextNumberTick_.setInterval(AutoCaller::kTickMs);
    connect(&nextNumberTick_, &QTimer::timeout, this, [this] { update(nextNumberBar()); });
    const auto &games = evening_->record().games;
    winnersSeen_ = games.isEmpty() ? 0 : games.last().winners.size();
    connect(&caller_, &Caller::changed, this, &HallWindow::showGame);
    connect(evening_, &Evening::changed, this, &HallWindow::showGame);
    connect(autoCaller_, &AutoCaller::changed, this, &HallWindow::showGame);
    showGame();
}

QStringList HallWindow::lines() const
{
    QStringList texts;
    for (const Row &row : rows())
        texts << row.text;
    return texts;
}

QList<HallWindow::Row> HallWindow::rows() const
{
    const auto shown = caller_.shownNumber();
    const QList<int> &order = caller_.game().drawOrder();
    const QStringList lastFive = caller_.game().latest(5);
    const QStringList won = wonPrizes(caller_);
    const int next = caller_.game().prizeInPlay();
    QString playingFor = next >= 0 ? kPrizeNames[next] : QString();
    if (next < 0 && caller_.game().tombolinoPlayed() && !caller_.game().over())
        playingFor = QStringLiteral("Tombolino");
    QList<Row> rows{{shown ? QString::number(*shown) : QString(), 0.50, look::kLastNumberGreen, true, 0.96},
        {shown ? smorfiaOf(*shown) : kSmorfiaTitle, 0.10, look::kSmorfiaSalmon, false},
        {QStringLiteral("Estratti: %1 di 90").arg(order.size()), 0.10, kCountWhite, true}};
    // A prize just won: its name larger than the count, its numbers and its winner as large.
    if (!prizeShown_.isEmpty()) {
        rows << Row{prizeShown_[0], 0.10, look::kBannerYellow, true, 0.8}
             << Row{prizeShown_[1], 0.10, look::kBannerYellow, true} << Row{prizeShown_[2], 0.10, kCountWhite, true};
        return rows;
    }
    const evening::RecordedGame *game =
        !evening_->record().games.isEmpty() ? &evening_->record().games.last() : nullptr;
    if (caller_.game().over() && game && !game->winners.isEmpty()) {
        QStringList winners;
        for (const evening::Winner &w : game->winners)
            if (!w.withdrawn)
                winners << kWinnerLine.arg(evening::prizeName(w.prize), w.name);
        for (const QString &line : winners)
            rows << Row{line, 0.30 / std::max<qsizetype>(3, winners.size()), look::kBannerYellow, false};
        return rows;
    }
    rows << Row{lastFive.isEmpty() ? QString() : QStringLiteral("Ultimi: ") + lastFive.join(QStringLiteral("  ")), 0.10,
                kCountWhite, false}
         << Row{QStringLiteral("Premi usciti: ") +
                    (won.isEmpty() ? QStringLiteral("nessuno") : won.join(QStringLiteral(", "))),
                0.10, look::kBannerYellow, false}
         << Row{playingFor.isEmpty() ? QStringLiteral("Partita finita") : QStringLiteral("Si gioca per: ") + playingFor,
                0.10, look::kBannerYellow, true};
    return rows;
}

QRect HallWindow::nextNumberBar() const
{
    const int thickness = std::max(4, height() / 120);
    return {board->width(), height() - thickness, width() - board->width(), thickness};
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
    const auto &games = evening_->record().games;
    const QList<evening::Winner> none;
    const QList<evening::Winner> &winners = games.isEmpty() ? none : games.last().winners;
    if (winners.size() > winnersSeen_ && !winners.last().withdrawn) {
        const evening::Winner &w = winners.last();
        const auto &row = caller_.prizeMessage();
        // The row only for the owner's own prize: a prize declared for the room has none.
        const QString numbers =
            row && w.code.isEmpty() && w.name != Evening::kInTheRoom ? numbersText(*row) : QString();
        // A shared prize names every winner who shares it.
        QStringList names;
        for (const evening::Winner &other : winners)
            if (other.prize == w.prize && !other.withdrawn && other.name != Evening::kInTheRoom &&
                !names.contains(other.name))
                names << other.name;
        prizeShown_ = {evening::prizeName(w.prize).toUpper(), numbers, names.join(kNamesJoin)};
        prizeExpiry_.start();
    } else if (!winners.isEmpty() && winners.last().withdrawn) {
        prizeShown_.clear();
    }
    winnersSeen_ = winners.size();
    if (autoCaller_->isOn() != nextNumberTick_.isActive())
        autoCaller_->isOn() ? nextNumberTick_.start() : nextNumberTick_.stop();
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
    int top = 0;
    for (const Row &line : rows()) {
        const QRect row(panel.left(), top, panel.width(), int(h * line.share));
        top = row.bottom() + 1;
        QFont font = fontOf(kArial, 10, line.bold);
        // The last number's digits (0.72 of the font's size) stand over a third of the screen
        // high; every line fits its width.
        font.setPixelSize(std::max(1, int(row.height() * line.fontFactor)));
        const qreal wide = textpicture::lineSize(line.text, font).width();
        if (wide > row.width() * 0.94)
            font.setPixelSize(std::max(1, int(font.pixelSize() * row.width() * 0.94 / wide)));
        textpicture::drawCentred(painter, row, line.text, font, line.colour);
    }
    // The time to the next number: a bar that fills along the panel's foot.
    const auto toNext = autoCaller_->msToNextNumber();
    if (toNext) {
        const QRect bar = nextNumberBar();
        const double elapsed = 1.0 - double(*toNext) / (autoCaller_->intervalSeconds() * 1000.0);
        painter.fillRect(bar.adjusted(0, 0, int(-bar.width() * (1.0 - elapsed)), 0), look::kBannerYellow);
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
