// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/board_window.h"

#include "app/accessibility.h"
#include "app/banner_overlay.h"
#include "app/board_view.h"
#include "app/caller_keys.h"
#include "app/control_column.h"
#include "app/controls.h"
#include "app/focus_ring.h"
#include "app/more_menu.h"
#include "app/number_displays.h"
#include "display/look.h"
#include "platform/url_opener.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QEvent>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

// The pictures live in this static library: register them before their first use.
static void loadPictures() { Q_INIT_RESOURCE(assets); }

namespace {

// The maker's logo from its drawn sizes, with no vector renderer at start-up.
QIcon logoIcon()
{
    QIcon icon;
    for (int size : {32, 64, 128, 256})
        icon.addFile(QStringLiteral(":/logo%1.png").arg(size), QSize(size, size));
    return icon;
}

const QUrl kMakerPage(QStringLiteral("http://www.orvanet.it/ftp/?tombola"));

} // namespace

BoardWindow::BoardWindow(const Platform &platform, QWidget *parent)
    : QWidget(parent), caller_(platform.voice, platform.store, platform.random, platform.clock),
      store_(platform.store)
{
    loadPictures();
    installAccessibility();
    setWindowTitle(kWindowTitle);
    setWindowIcon(logoIcon());
    setFont(fontOf(kSansSerif, 8.25));
    paintText(this, Qt::black, look::kTableGreen);

    controls = new ControlColumn(this);
    board = new BoardView(BoardView::callersLook(), this);
    help = new HelpPage(board);
    banner = new BannerOverlay(board, caller_);
    displays = new NumberDisplays(this);
    more = new MoreMenu(*this, caller_, store_);
    setTabOrder(controls->logo, more->button);
    notice = new ClickLabel(this);
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignCenter);
    notice->setFont(fontOf(kSansSerif, 11, true));
    notice->setMargin(6);
    notice->setAccessibleName(QStringLiteral("Avviso"));
    paintText(notice, Qt::black, QColor(255, 255, 192));
    notice->hide();
    connect(notice, &ClickLabel::clicked, notice, &QWidget::hide);
    new FocusRing(this);
    keys = new CallerKeys(*this, platform.keys);
    connect(keys, &CallerKeys::typedChanged, displays->typedNumber, &QLabel::setText);
    wireControls(platform.urls);
    connect(&caller_, &Caller::changed, this, &BoardWindow::showGame);

    // The design client area when the screen has room; on a smaller screen, or at a larger
    // desktop scale, the column shrinks so that the window still fits.
    const float dpi = float(logicalDpiY());
    const QSize available = screen()->availableSize();
    setMinimumSize(QSize(twipsToPixels(kControlColumnWidth + 5000, dpi), twipsToPixels(kControlColumnHeight, dpi)) / 4);
    resize(QSize(twipsToPixels(17145, dpi), twipsToPixels(11010, dpi)).boundedTo(available));
    showGame();
}

void BoardWindow::wireControls(UrlOpener &urls)
{
    connect(controls, &ControlColumn::drawRequested, this, &BoardWindow::drawNumber);
    connect(controls, &ControlColumn::newGameRequested, &caller_, &Caller::startNewGame);
    connect(controls, &ControlColumn::reloadRequested, &caller_, &Caller::reloadSavedGame);
    connect(controls, &ControlColumn::prizeDeclared, &caller_, &Caller::declarePrizeWon);
    connect(controls, &ControlColumn::prizeBoxChanged, &caller_, &Caller::setPrizeBox);
    connect(controls, &ControlColumn::prizeBoxReleased, &caller_, &Caller::commitPrizeBox);
    connect(controls, &ControlColumn::cartellaClicked, &caller_, &Caller::toggleCartella);
    connect(controls, &ControlColumn::ownerNameEdited, &caller_, &Caller::setOwnerName);
    connect(controls, &ControlColumn::manualChanged, &caller_, &Caller::setManual);
    connect(controls, &ControlColumn::scanditoChanged, &caller_, &Caller::setScandito);
    connect(controls, &ControlColumn::smorfiaChanged, &caller_, &Caller::setSmorfia);
    connect(controls, &ControlColumn::helpClicked, help, [this] {
        // Near the board's top left corner, so that the page's arrows point at the column.
        placeInTwips(help, {100, 100, 10560, 9810});
        help->toggle();
    });
    connect(controls, &ControlColumn::logoClicked, this, [&urls] { urls.open(kMakerPage); });
    connect(help, &HelpPage::clicked, help, &QWidget::hide);
    connect(board, &BoardView::numberClicked, &caller_, &Caller::clickNumber);
    connect(banner, &ClickLabel::clicked, &caller_, &Caller::dismissPrizeMessage);
    connect(displays->lastNumber, &ClickLabel::clicked, &caller_, &Caller::repeatLastNumber);
    connect(displays->smorfiaLine, &ClickLabel::clicked, &caller_, &Caller::speakSmorfiaLine);
}

KeyboardPoll &BoardWindow::keyboardPoll()
{
    return keys->poll();
}

void BoardWindow::toggleHall()
{
    more->toggleHall();
}

void BoardWindow::showNotice(const QString &text)
{
    notice->setText(text);
    notice->setVisible(!text.isEmpty());
    if (text.isEmpty())
        return;
    placeNotice();
    notice->raise();
    QAccessibleEvent alert(notice, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void BoardWindow::placeNotice()
{
    const QRect area = board->geometry().adjusted(8, 8, -8, -8);
    const int height = notice->heightForWidth(area.width());
    notice->setGeometry(area.left(), area.bottom() - height, area.width(), height);
}

void BoardWindow::drawNumber()
{
    help->hide();
    caller_.drawNumber();
}

void BoardWindow::showGame()
{
    controls->showGame(caller_);
    board->showGame(caller_.game());
    displays->show(caller_.shownNumber(), caller_.game());
    more->showGame();
}

void BoardWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const float dpi = float(logicalDpiY());
    const float height = pixelsToTwips(this->height(), dpi);
    const float zoom = columnZoom(height);
    panel_ = boardPanel(pixelsToTwips(width(), dpi), height, panel_, kControlColumnWidth * zoom);
    board->setGeometry(toPixels(panel_, dpi));
    controls->setGeometry(0, 0, twipsToPixels(kControlColumnWidth * zoom, dpi), this->height());
    controls->setZoom(zoom);
    zoomColumnPlaces(this, zoom);
    const QPointF line = smorfiaLinePlace(panel_, height);
    displays->placeSmorfiaLine({twipsToPixels(line.x(), dpi), twipsToPixels(line.y(), dpi)});
    placeNotice();
}

void BoardWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    // The program ends with its window, whatever dialog or players' screen is still open.
    QCoreApplication::quit();
}

void BoardWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Every activation shows the window maximised.
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || (windowState() & Qt::WindowMaximized))
        return;
    setWindowState(Qt::WindowMaximized);
    // Without a window manager the maximised state is only a hint: then take the screen as
    // well. With one, the size to restore to stays the one that fits the screen.
    QTimer::singleShot(300, this, [this] {
        if ((windowState() & Qt::WindowMaximized) && size() != screen()->availableSize())
            setGeometry(screen()->availableGeometry());
    });
}
