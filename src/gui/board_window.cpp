// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/board_window.h"

#include "gui/accessibility.h"
#include "gui/after_first_paint.h"
#include "gui/banner_overlay.h"
#include "gui/board_view.h"
#include "gui/caller_keys.h"
#include "gui/claim_notice_bar.h"
#include "gui/click_label.h"
#include "gui/control_column.h"
#include "gui/focus_ring.h"
#include "gui/help_page.h"
#include "gui/more_menu.h"
#include "gui/network_dialog.h"
#include "gui/number_displays.h"
#include "gui/print_cartelle_dialog.h"
#include "gui/remote_section.h"
#include "gui/widget_look.h"
#include "gui/winner_name_box.h"
#include "gui/winners_dialog.h"
#include "layout/look.h"
#include "platform/url_opener.h"

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

// The pictures live in this static library: register them before their first use.
static void loadPictures() { Q_INIT_RESOURCE(assets); }

namespace {

const QUrl kMakerPage(QStringLiteral("http://www.orvanet.it/ftp/?tombola"));
const QString kWithdrawTitle = QStringLiteral("Annulla ultimo numero");
const QString kWithdrawQuestion = QStringLiteral(
    "Rimettere nel sacchetto l'ultimo numero estratto, il %1? Si annullano anche i premi vinti con esso.");
const QString kClaimsWaitTitle = QStringLiteral("Chiamate in attesa");
const QString kClaimsWaitQuestion =
    QStringLiteral("%1 in attesa di risposta. Iniziare lo stesso e annullarle? I telefoni saranno avvisati.");
const QString kOneClaim = QStringLiteral("Una chiamata è");
const QString kSomeClaims = QStringLiteral("%1 chiamate sono");
const QString kRemoteTitle = QStringLiteral("Giocatori fuori dalla sala");
// Heard by a screen reader's user only: a sighted caller sees the box change.
const QString kSmorfiaSwitched = QStringLiteral("Smorfia %1");
const QString kScanditoSwitched = QStringLiteral("Scandito %1");
void announceSwitch(const QString &what, bool on)
{
    announce(QApplication::activeWindow(), what.arg(on ? QStringLiteral("sì") : QStringLiteral("no")));
}
const QString kPausedNotice = QStringLiteral("Estrazione automatica in pausa: Spazio per riprendere.");
const QString kNextNumberName = QStringLiteral("Prossimo numero");
const QString kReloadOffer = QStringLiteral("L'ultima partita si è interrotta con %1 numeri estratti: ricaricarla? "
                                            "Invio ricarica, Esc inizia da capo. L'estrazione automatica è spenta.");
const QString kReloadYes = QStringLiteral("Ricarica (Invio)");
const QString kReloadNo = QStringLiteral("No (Esc)");
const QString kReloadOfferName = QStringLiteral("Partita interrotta");
// Under the count and the last five, in what is left of the column.
constexpr TwipsRect kNextNumberPlace{210, 10935, 1545, 60};

} // namespace

BoardWindow::BoardWindow(const Platform &platform, QWidget *parent)
    : QWidget(parent), session_(platform.voice, platform.store, platform.random, platform.clock, platform.evenings),
      caller_(session_.caller()), autoCaller_(session_.autoCaller()), actions_(makeActions()), store_(platform.store),
      phones_(session_.phones())
{
    loadPictures();
    installAccessibility();
    setWindowTitle(kWindowTitle);
    // Handed to the window manager after the first paint: the sizes together are a third of
    // a megabyte sent to the X server.
    afterFirstPaint(this, [this] { setWindowIcon(logoIcon()); });
    setFont(fontOf(kSansSerif, 8.25));
    paintText(this, Qt::black, look::kTableGreen);

    // The design client area when the screen has room; on a smaller screen, or at a larger
    // desktop scale, the column shrinks so that the window still fits.
    const float dpi = float(logicalDpiY());
    const QSize available = screen()->availableSize();
    setMinimumSize(QSize(twipsToPixels(kControlColumnWidth + 5000, dpi), twipsToPixels(kControlColumnHeight, dpi)) / 4);
    resize(QSize(twipsToPixels(17145, dpi), twipsToPixels(11010, dpi)).boundedTo(available));

    // The board first, so that it is drawn on a thread of its own while the rest is made.
    Parts &p = parts_;
    p.board = new BoardView(BoardView::callersLook(), this);
    p.board->showGame(caller_.game());
    placeBoard();
    p.board->drawAhead();
    p.controls = new ControlColumn(this);
    p.controls->lower(); // first among the window's parts, for the tab order and screen readers
    p.banner = new BannerOverlay(p.board, caller_);
    p.displays = new NumberDisplays(this);
    p.more = new MoreMenu(actions_, p.controls, this, session_, store_);
    setTabOrder(p.controls->logo, p.more->button);
    p.notice = new ClickLabel(this);
    p.notice->setWordWrap(true);
    p.notice->setTextFormat(Qt::PlainText); // it may name a stored value or a server's answer
    p.notice->setAlignment(Qt::AlignCenter);
    p.notice->setFont(fontOf(kSansSerif, 11, true));
    p.notice->setMargin(6);
    p.notice->setAccessibleName(QStringLiteral("Avviso"));
    paintText(p.notice, Qt::black, QColor(255, 255, 192));
    p.notice->hide();
    connect(p.notice, &ClickLabel::clicked, p.notice, &QWidget::hide);
    p.claimNotice = new ClaimNoticeBar(this);
    p.reloadOffer = new ClaimNoticeBar(this);
    p.reloadOffer->setAccessibleName(kReloadOfferName);
    p.reloadOffer->confirm->setText(kReloadYes);
    p.reloadOffer->refuse->setText(kReloadNo);
    connect(p.reloadOffer->confirm, &QPushButton::clicked, this, [this] { answerReloadOffer(true); });
    connect(p.reloadOffer->refuse, &QPushButton::clicked, this, [this] { answerReloadOffer(false); });
    // Whatever the caller does with the board first answers it.
    connect(&caller_, &Caller::changed, p.reloadOffer, [this] {
        if (caller_.game().drawnCount() > 0)
            parts_.reloadOffer->hide();
    });
    connect(&caller_, &Caller::newGameStarted, p.reloadOffer, &QWidget::hide);
    p.nextNumber = new QProgressBar(this);
    p.nextNumber->setTextVisible(false);
    p.nextNumber->setRange(0, 1000);
    p.nextNumber->setAccessibleName(kNextNumberName);
    p.nextNumber->setStyleSheet(QStringLiteral(
        "QProgressBar { border: none; background: #004000; } QProgressBar::chunk { background: #ffff00; }"));
    placeInTwips(p.nextNumber, kNextNumberPlace);
    p.nextNumber->hide();
    p.winnerName = new WinnerNameBox(this);
    connect(p.winnerName, &WinnerNameBox::named, &session_.evening(), &Evening::nameWinner);
    connect(&caller_, &Caller::prizeDeclared, this, &BoardWindow::offerWinnerName);
    nextNumberTick_.setInterval(AutoCaller::kTickMs);
    connect(&nextNumberTick_, &QTimer::timeout, this, &BoardWindow::showAutoCalling);
    connect(&autoCaller_, &AutoCaller::changed, this, &BoardWindow::showAutoCalling);
    new FocusRing(this);
    p.keys = new CallerKeys(actions_, caller_, platform.keys, this);
    connect(p.keys, &CallerKeys::typedChanged, p.displays->typedNumber, &QLabel::setText);
    // A refused number's notice stays until the next number is typed.
    connect(p.keys, &CallerKeys::typedRefused, this, [this](const QString &why) { showNotice(refusedNotice_ = why); });
    connect(p.keys, &CallerKeys::typedChanged, this, [this](const QString &typed) {
        if (!typed.isEmpty() && parts_.notice->isVisible() && parts_.notice->text() == refusedNotice_)
            showNotice({});
    });
    wireControls(platform.urls);
    wirePhones();
    offerInterruptedGame();
    connect(&caller_, &Caller::changed, this, &BoardWindow::showGame);
    showGame();
}

ActionTable BoardWindow::makeActions()
{
    const auto menuItem = [](ActionId id, const QString &caption, QKeySequence key, std::function<void()> run) {
        return Action{id, caption, key, false, true, std::move(run)};
    };
    const auto gameKey = [](ActionId id, Qt::Key key, std::function<void()> run) {
        return Action{id, {}, key, true, false, std::move(run)};
    };
    Caller &caller = caller_;
    ActionTable table{
        menuItem(ActionId::Voice, QStringLiteral("Voce… (F10)"), Qt::Key_F10, [this] { emit voiceChoiceAsked(); }),
        menuItem(
            ActionId::Hall, QStringLiteral("Schermo sala (F7)"), Qt::Key_F7, [this] { parts_.more->toggleHall(); }),
        menuItem(ActionId::DrawnNumbers, QStringLiteral("Numeri usciti (F8)"), Qt::Key_F8,
            [this] { parts_.more->showDrawnNumbers(); }),
        menuItem(ActionId::CheckClaim, QStringLiteral("Verifica cartella (F9)"), Qt::Key_F9,
            [this] { parts_.more->checkClaim(); }),
        menuItem(ActionId::Phones, QStringLiteral("Giocatori in rete… (Ctrl+G)"), Qt::CTRL | Qt::Key_G,
            [this] {
                if (!networkDialog_) {
                    networkDialog_ = new NetworkDialog(phones_, this);
                    networkDialog_->addPart(kRemoteTitle, new RemoteSection(session_.remote(), networkDialog_));
                }
                networkDialog_->show();
                networkDialog_->raise();
                networkDialog_->activateWindow();
            }),
        menuItem(ActionId::PrintCartelle, QStringLiteral("Stampa cartelle… (Ctrl+P)"), Qt::CTRL | Qt::Key_P,
            [this] { PrintCartelleDialog(this).exec(); }),
        Action{ActionId::Tombolino, QStringLiteral("Tombolino"), {}, false, true,
            [&caller] { caller.setTombolinoPlayed(!caller.game().tombolinoPlayed()); },
            [&caller] { return caller.game().tombolinoPlayed(); }},
        Action{ActionId::AutoCall, QStringLiteral("Estrazione automatica (Ctrl+T)"), Qt::CTRL | Qt::Key_T, false, true,
            [this] { autoCaller_.setOn(!autoCaller_.isOn()); }, [this] { return autoCaller_.isOn(); }},
        menuItem(ActionId::Winners, QStringLiteral("Vincitori (Ctrl+L)"), Qt::CTRL | Qt::Key_L,
            [this] { parts_.more->showWinners(); }),
        menuItem(ActionId::WithdrawLastNumber, QStringLiteral("Annulla ultimo numero (Ctrl+Z)"), Qt::CTRL | Qt::Key_Z,
            [this] { withdrawLastNumber(); }),
        menuItem(ActionId::Help, QStringLiteral("Aiuto (F1)"), Qt::Key_F1, [this] { toggleHelp(); }),
        menuItem(ActionId::Quit, QStringLiteral("Esci (Ctrl+Q)"), Qt::CTRL | Qt::Key_Q, [this] { close(); }),
        gameKey(ActionId::SwitchSmorfia, Qt::Key_Left,
            [&caller] {
                caller.toggleSmorfia();
                announceSwitch(kSmorfiaSwitched, caller.speech().smorfia != Smorfia::Off);
            }),
        gameKey(ActionId::RepeatLastNumber, Qt::Key_Up, [&caller] { caller.repeatLastNumber(); }),
        gameKey(ActionId::SwitchScandito, Qt::Key_Right,
            [&caller] {
                caller.toggleScandito();
                announceSwitch(kScanditoSwitched, caller.speech().scandito != Scandito::Off);
            }),
        gameKey(ActionId::DrawNumber, Qt::Key_Down, [this] { drawNumber(); }),
        gameKey(ActionId::NewGame, Qt::Key_F12, [this] { leaveGame(false); }),
        // Whichever window has the keyboard, even when none is active after a question closed.
        Action{ActionId::PauseAutoCall, {}, Qt::Key_Space, false, false, [this] { autoCaller_.togglePause(); }, {},
            [this] { return autoCaller_.isOn(); }},
    };
    // Enter and Escape answer a phone's claim while it is shown, in any of the program's
    // windows and dialogs, once a number typed from the bag is complete.
    const auto claimShown = [this] {
        const QWidget *active = QApplication::activeWindow();
        if (parts_.keys->typing() || !active)
            return false;
        // The reload offer is the window's own question: a dialog keeps its Escape.
        return phones_.claimShown() || (parts_.reloadOffer->isVisible() && active->windowType() == Qt::Window);
    };
    for (const auto &[id, key] : {std::pair{ActionId::ConfirmClaim, Qt::Key_Return},
             {ActionId::ConfirmClaim, Qt::Key_Enter}, {ActionId::RefuseClaim, Qt::Key_Escape}}) {
        const bool confirm = id == ActionId::ConfirmClaim;
        table.append(Action{id, {}, key, false, false,
            [this, confirm] {
                if (parts_.reloadOffer->isVisible())
                    answerReloadOffer(confirm);
                else
                    confirm ? phones_.confirmClaim() : phones_.refuseClaim();
            },
            {}, claimShown});
    }
    for (int i = 0; i < board::kPrizes; ++i)
        table.append(
            gameKey(ActionId::DeclarePrize, Qt::Key(Qt::Key_F2 + i), [&caller, i] { caller.declarePrizeWon(i); }));
    return table;
}

void BoardWindow::wireControls(UrlOpener &urls)
{
    connect(parts_.controls, &ControlColumn::drawRequested, this, &BoardWindow::drawNumber);
    connect(parts_.controls, &ControlColumn::newGameRequested, this, [this] { leaveGame(false); });
    connect(parts_.controls, &ControlColumn::reloadRequested, this, [this] { leaveGame(true); });
    connect(parts_.controls, &ControlColumn::prizeDeclared, &caller_, &Caller::declarePrizeWon);
    connect(parts_.controls, &ControlColumn::prizeBoxChanged, &caller_,
        [this](int prize, int value) { caller_.setPrizeBox(prize, PrizeBox(value)); });
    connect(parts_.controls, &ControlColumn::prizeBoxReleased, &caller_, &Caller::commitPrizeBox);
    connect(parts_.controls, &ControlColumn::cartellaClicked, &caller_, &Caller::toggleCartella);
    connect(parts_.controls, &ControlColumn::ownerNameEdited, &caller_, &Caller::setOwnerName);
    connect(parts_.controls, &ControlColumn::manualChanged, &caller_,
        [this](int value) { caller_.setManual(Manual(value)); });
    connect(parts_.controls, &ControlColumn::scanditoChanged, &caller_,
        [this](int value) { caller_.setScandito(Scandito(value)); });
    connect(parts_.controls, &ControlColumn::smorfiaChanged, &caller_,
        [this](int value) { caller_.setSmorfia(Smorfia(value)); });
    connect(parts_.controls, &ControlColumn::helpClicked, this, &BoardWindow::toggleHelp);
    connect(parts_.controls, &ControlColumn::logoClicked, this, [&urls] { urls.open(kMakerPage); });
    connect(parts_.board, &BoardView::numberClicked, &caller_, &Caller::clickNumber);
    connect(parts_.banner, &ClickLabel::clicked, &caller_, &Caller::dismissPrizeMessage);
    connect(parts_.displays->lastNumber, &ClickLabel::clicked, &caller_, &Caller::repeatLastNumber);
    connect(parts_.displays->smorfiaLine, &ClickLabel::clicked, &caller_, &Caller::speakSmorfiaLine);
}

void BoardWindow::wirePhones()
{
    afterFirstPaint(this, [this] { session_.start(); });
    // A broker that cannot be reached, refuses or is lost: named in the window, until it is back.
    connect(&session_.remote(), &RemoteLink::changed, this, [this] {
        const QString notice = session_.remote().notice();
        if (!notice.isEmpty())
            showNotice(notice);
        else if (parts_.notice->isVisible() && parts_.notice->text() == remoteNotice_)
            showNotice({});
        remoteNotice_ = notice;
    });
    connect(parts_.claimNotice->confirm, &QPushButton::clicked, &phones_, &PhoneLink::confirmClaim);
    connect(parts_.claimNotice->refuse, &QPushButton::clicked, &phones_, &PhoneLink::refuseClaim);
    connect(&phones_, &PhoneLink::claimChanged, this, [this] {
        parts_.claimNotice->showClaim(phones_.claimText());
        placeNotice();
    });
    connect(&phones_, &PhoneLink::changed, this, [this] {
        const bool on = !phones_.urls().isEmpty();
        parts_.displays->showPhones(on ? std::optional<int>(phones_.phoneCount()) : std::nullopt);
        parts_.more->setPhoneAddress(on ? phones_.urls().first() : QString());
        // Phones stored on but not served: named in the window, until they are back.
        const QString notice = phones_.notice();
        if (notice == phonesNotice_)
            return;
        if (!notice.isEmpty())
            showNotice(notice);
        else if (parts_.notice->isVisible() && parts_.notice->text() == phonesNotice_)
            showNotice({});
        phonesNotice_ = notice;
    });
}

// The game a kill cut short, offered back at once; automatic calling is off until the
// caller turns it on.
void BoardWindow::offerInterruptedGame()
{
    const auto count = session_.interruptedGame();
    if (!count)
        return;
    const QString question = kReloadOffer.arg(*count);
    parts_.reloadOffer->showClaim(question);
    placeNotice();
    caller_.say(question);
}

void BoardWindow::answerReloadOffer(bool reload)
{
    parts_.reloadOffer->hide();
    if (reload)
        leaveGame(true);
}

// A new game or a reload ends the claims of the game on the board: the caller says so first.
void BoardWindow::leaveGame(bool reload)
{
    const bool left = session_.leaveGame(reload, [this](int waiting) {
        return askYesNo(
            this, kClaimsWaitTitle, kClaimsWaitQuestion.arg(waiting == 1 ? kOneClaim : kSomeClaims.arg(waiting)));
    });
    if (left)
        parts_.winnerName->hide();
}

void BoardWindow::toggleHelp()
{
    // Made when first asked for: nothing of it is on screen before.
    if (!parts_.help) {
        parts_.help = new HelpPage(menuKeyTexts(actions_), parts_.board);
        parts_.help->stackUnder(parts_.banner);
        connect(parts_.help, &HelpPage::clicked, parts_.help, &QWidget::hide);
    }
    // Near the board's top left corner, so that the page's arrows point at the column.
    placeInTwips(parts_.help, {100, 100, 10560, 9810});
    parts_.help->toggle();
    parts_.banner->raise();
}

KeyboardPoll &BoardWindow::keyboardPoll() { return parts_.keys->poll(); }

void BoardWindow::toggleHall() { parts_.more->toggleHall(); }

void BoardWindow::showNotice(const QString &text)
{
    parts_.notice->setText(text);
    parts_.notice->setVisible(!text.isEmpty());
    if (text.isEmpty())
        return;
    placeNotice();
    parts_.notice->raise();
    QAccessibleEvent alert(parts_.notice, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void BoardWindow::placeNotice()
{
    const QRect area = parts_.board->geometry().adjusted(8, 8, -8, -8);
    const int height = parts_.notice->heightForWidth(area.width());
    parts_.notice->setGeometry(area.left(), area.bottom() - height, area.width(), height);
    parts_.claimNotice->place(area);
    parts_.reloadOffer->place(area);
    // Over the smorfia line's band, below the board: no number is hidden.
    const QRect line = parts_.displays->smorfiaLine->geometry();
    const QSize box = parts_.winnerName->sizeHint().expandedTo({std::min(420, area.width()), line.height()});
    parts_.winnerName->setGeometry(area.left(), line.center().y() - box.height() / 2, box.width(), box.height());
}

void BoardWindow::withdrawLastNumber()
{
    session_.withdrawLastNumber(
        [this](int number) { return askYesNo(this, kWithdrawTitle, kWithdrawQuestion.arg(number)); });
}

void BoardWindow::showAutoCalling()
{
    const bool on = autoCaller_.isOn();
    if (on != nextNumberTick_.isActive())
        on ? nextNumberTick_.start() : nextNumberTick_.stop();
    const auto toNext = autoCaller_.msToNextNumber();
    parts_.nextNumber->setVisible(on);
    parts_.nextNumber->setValue(toNext ? int(1000 - *toNext / autoCaller_.intervalSeconds()) : 0);
    const bool paused = on && autoCaller_.hold() != AutoCaller::Hold::None;
    if (paused && !parts_.notice->isVisible())
        showNotice(kPausedNotice);
    else if (!paused && parts_.notice->isVisible() && parts_.notice->text() == kPausedNotice)
        showNotice({});
}

// A prize declared for someone in the room: a box for the name, for a while.
void BoardWindow::offerWinnerName()
{
    const auto &games = session_.evening().record().games;
    if (games.isEmpty() || games.last().winners.isEmpty())
        return;
    const evening::Winner &winner = games.last().winners.last();
    if (winner.name == Evening::kInTheRoom && winner.code.isEmpty()) {
        placeNotice();
        parts_.winnerName->offer(int(games.size() - 1), int(games.last().winners.size() - 1));
    }
}

void BoardWindow::drawNumber()
{
    if (parts_.help)
        parts_.help->hide();
    caller_.drawNumber();
}

void BoardWindow::showGame()
{
    parts_.controls->showGame(caller_);
    parts_.board->showGame(caller_.game());
    parts_.displays->show(caller_.shownNumber(), caller_.game());
    parts_.more->showGame();
}

float BoardWindow::placeBoard()
{
    const float dpi = float(logicalDpiY());
    const float height = pixelsToTwips(this->height(), dpi);
    const float zoom = columnZoom(height);
    panel_ = boardPanel(pixelsToTwips(width(), dpi), height, panel_, kControlColumnWidth * zoom);
    parts_.board->setGeometry(toPixels(panel_, dpi));
    return zoom;
}

void BoardWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const float zoom = placeBoard();
    const float dpi = float(logicalDpiY());
    const float height = pixelsToTwips(this->height(), dpi);
    parts_.controls->setGeometry(0, 0, twipsToPixels(kControlColumnWidth * zoom, dpi), this->height());
    parts_.controls->setZoom(zoom);
    zoomColumnPlaces(this, zoom);
    const QPointF line = smorfiaLinePlace(panel_, height);
    parts_.displays->placeSmorfiaLine({twipsToPixels(line.x(), dpi), twipsToPixels(line.y(), dpi)});
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
