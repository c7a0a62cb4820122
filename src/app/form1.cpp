#include "app/form1.h"

#include "app/widgets.h"
#include "board/cartella_look.h"
#include "platform/url_opener.h"

#include <QCheckBox>
#include <QCursor>
#include <QFrame>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QWindow>

using namespace tabellone;

namespace {

const QColor kDarkGreen(0, 64, 0);

QFont designFont(const QStringList &families, qreal points, bool bold = false)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

const QStringList kArial{QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
const QStringList kTimes{QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")};
const QStringList kSansSerif{QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")};
const QStringList kTerminal{QStringLiteral("Terminal"), QStringLiteral("Liberation Mono"),
                            QStringLiteral("DejaVu Sans Mono")};

void paint(QWidget *widget, const QColor &text, const QColor &back = QColor())
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::ButtonText, text);
    // A check box draws its tick in the Text colour on its white box: keep the style's.
    if (!qobject_cast<QCheckBox *>(widget))
        palette.setColor(QPalette::Text, text);
    if (back.isValid()) {
        palette.setColor(QPalette::Window, back);
        palette.setColor(QPalette::Button, back);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

void describe(QWidget *widget, const QString &name, const QString &tip = QString())
{
    widget->setAccessibleName(name);
    if (!tip.isEmpty()) {
        widget->setToolTip(tip);
        widget->setAccessibleDescription(tip);
    }
}

QColor rgb(Rgb c) { return QColor(c.r, c.g, c.b); }

// The logo from its drawn sizes: no vector renderer needed at start-up.
QIcon logoIcon()
{
    QIcon icon;
    for (int size : {32, 64, 128, 256})
        icon.addFile(QStringLiteral(":/logo%1.png").arg(size), QSize(size, size));
    return icon;
}

// What a screen reader says of the controls that have no tooltip.
const QString kPrizeButtonPurpose = QStringLiteral("Dichiara il premio vinto in sala");
const QString kPrizeBoxPurpose = QStringLiteral("Spuntato: premio già vinto o escluso dal gioco");

QCursor handCursor(const QString &path)
{
    // The fingertip is the hot spot of both hand pictures.
    const QPixmap picture(path);
    return picture.isNull() ? QCursor(Qt::PointingHandCursor) : QCursor(picture, 12, 1);
}

} // namespace

// The pictures live in this static library: register them before the first use.
static void loadPictures()
{
    Q_INIT_RESOURCE(assets);
}

Form1::Form1(const Platform &platform, QWidget *parent)
    : QWidget(parent),
      platform_(platform),
      game_(state_, platform.voice, platform.store, platform.random),
      announcer_(state_, platform.voice, platform.clock),
      settings_(state_, platform.store, platform.voice),
      ladder_(state_, platform.store, platform.voice),
      poll_(platform.keys)
{
    loadPictures();
    setWindowTitle(kWindowTitle);
    setWindowIcon(logoIcon());
    setFont(designFont(kSansSerif, 8.25));
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, kDarkGreen);
    setPalette(windowPalette);
    setAutoFillBackground(true);

    game_.setHooks({[this] { announcer_.Confusi(); }, [this] { settings_.Settaggio(); },
                    [this] { help_.hide(); }});

    buildLeftColumn();
    buildBoard();
    wireKeys();

    // The design client area; the first activation maximises the window.
    resize(twipsToPixels(17145, dpi()), twipsToPixels(11010, dpi()));

    settings_.Settaggio();
    showState();

    Timer2.setInterval(500);
    connect(&Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    Timer2.start();
    Timer3.setInterval(KeyboardPoll::kIntervalMs);
    connect(&Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);
    Timer3.start();
}

Form1::~Form1() = default;

float Form1::dpi() const
{
    return float(logicalDpiY());
}

void Form1::place(QWidget *widget, int left, int top, int width, int height)
{
    const float d = dpi();
    const int x = twipsToPixels(left, d);
    const int y = twipsToPixels(top, d);
    widget->setGeometry(x, y, twipsToPixels(left + width, d) - x, twipsToPixels(top + height, d) - y);
}

void Form1::buildLeftColumn()
{
    Label5 = new ClickLabel(kNoNumberCaption, this);
    Label5->setFont(designFont(kTimes, 72));
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setLargeText(true);
    paint(Label5, QColor(128, 255, 128));
    Label5->setCursor(handCursor(QStringLiteral(":/hand.png")));
    // No name of its own: a screen reader reads the number shown.
    describe(Label5, QString(), QStringLiteral("Ultimo numero estratto (^)"));
    place(Label5, 210, 50, 1545, 1395);
    connect(Label5, &ClickLabel::clicked, this, &Form1::Label5_Click);

    static const std::array<int, kPrizes> widths{765, 765, 1005, 945, 945};
    for (int i = 0; i < kPrizes; ++i) {
        Command4[i] = new QPushButton(QStringLiteral("F%1").arg(i + 2), this);
        Command4[i]->setFont(designFont(kTerminal, 6, true));
        Command4[i]->setStyleSheet(QStringLiteral("padding: 0px;"));
        describe(Command4[i], kPrizeCaptions[i] + QStringLiteral(" (F%1)").arg(i + 2));
        Command4[i]->setAccessibleDescription(kPrizeButtonPurpose);
        place(Command4[i], 240, 2130 + 330 * i, 465, 220);
        connect(Command4[i], &QPushButton::clicked, this, [this, i] { Command4_Click(i); });

        Check1[i] = new OptionBox(kPrizeCaptions[i], this);
        paint(Check1[i], Qt::white, kDarkGreen);
        describe(Check1[i], kPrizeCaptions[i]);
        Check1[i]->setAccessibleDescription(kPrizeBoxPurpose);
        place(Check1[i], 780, 2100 + 330 * i, widths[i], 255);
        // A keyboard toggle changes the box silently; a mouse release also speaks and stores.
        connect(Check1[i], &QCheckBox::stateChanged, this, [this, i] {
            state_.prize[i] = Check1[i]->value();
            showState();
        });
        connect(Check1[i], &OptionBox::mouseUp, this, [this, i] { Check1_MouseUp(i); });
    }

    Label2 = new QLabel(QStringLiteral("Nome"), this);
    Label2->setAlignment(Qt::AlignCenter);
    paint(Label2, Qt::white, kDarkGreen);
    place(Label2, 360, 3930, 1125, 195);

    Text1 = new QLineEdit(state_.nome, this);
    Text1->setAlignment(Qt::AlignCenter);
    describe(Text1, QStringLiteral("Nome"), QStringLiteral("Scrivere il nome di chi possiede il tabellone"));
    place(Text1, 180, 4170, 1575, 285);
    Label2->setBuddy(Text1);
    connect(Text1, &QLineEdit::textChanged, this, [this](const QString &text) { state_.nome = text; });

    // The three option boxes: a change by click, space bar or key runs the box's handler.
    auto option = [this](const QString &caption, const QColor &colour, const QString &tip, int top,
                         int height, void (Settings::*set)(int)) {
        auto *box = new OptionBox(caption, this);
        paint(box, colour, kDarkGreen);
        describe(box, caption, tip);
        place(box, 540, top, 1125, height);
        connect(box, &QCheckBox::stateChanged, this, [this, box, set] {
            (settings_.*set)(box->value());
            showState();
        });
        return box;
    };
    Check2 = option(QStringLiteral("Manuale"), QColor(255, 192, 192), QStringLiteral("Estrazione manuale"),
                    4620, 315, &Settings::setManuale);
    Check3 = option(QStringLiteral("Scandito"), QColor(255, 255, 0),
                    QStringLiteral("Scandisce i numeri che si confondono (>)"), 4980, 225, &Settings::setScandito);
    Check5 = option(QStringLiteral("Smorfia"), QColor(0, 192, 192),
                    QStringLiteral("Pronuncia la smorfia al posto dei numeri (<)"), 5310, 225, &Settings::setSmorfia);

    for (int k = 0; k < kCartelle; ++k) {
        Label4[k] = new ClickLabel(QStringLiteral("Cartella %1").arg(k + 1), this);
        Label4[k]->setAlignment(Qt::AlignCenter);
        Label4[k]->setFrameShape(QFrame::Box);
        Label4[k]->setLineWidth(1);
        describe(Label4[k], Label4[k]->text(), QStringLiteral("Esclusione cartelle dal tabellone"));
        Label4[k]->setFocusPolicy(Qt::TabFocus);
        place(Label4[k], k % 2 == 0 ? 210 : 990, 5790 + 270 * (k / 2), 765, 255);
        connect(Label4[k], &ClickLabel::clicked, this, [this, k] { Label4_Click(k); });
    }

    const QFont buttonFont = designFont(kSansSerif, 8.25, true);
    auto button = [&](const QString &caption, const QColor &back, const QString &tip) {
        auto *b = new QPushButton(caption, this);
        b->setFont(buttonFont);
        paint(b, Qt::black, back);
        describe(b, caption, tip);
        return b;
    };
    Command1 = button(QStringLiteral("Ricomincia"), QColor(192, 192, 255), QStringLiteral("Comincia una nuova partita (F12)"));
    place(Command1, 210, 6780, 1545, 450);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    Command5 = button(QStringLiteral("Ricarica ultima"), QColor(255, 255, 128), QStringLiteral("Ricarica l'ultima estrazione interrotta"));
    place(Command5, 210, 7380, 1545, 450);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    Command2 = button(QStringLiteral("Estrai Numero"), QColor(128, 255, 128), QStringLiteral("(v)"));
    place(Command2, 210, 8050, 1545, 795);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);

    Label7 = new ClickLabel(QStringLiteral("?"), this);
    Label7->setFont(designFont(kSansSerif, 30, true));
    Label7->setAlignment(Qt::AlignCenter);
    paint(Label7, Qt::black, QColor(255, 255, 128));
    Label7->setCursor(handCursor(QStringLiteral(":/hand_white.png")));
    describe(Label7, QStringLiteral("?"), QStringLiteral("Aiuto"));
    Label7->setFocusPolicy(Qt::TabFocus);
    place(Label7, 210, 9060, 585, 705);
    connect(Label7, &ClickLabel::clicked, this, &Form1::Label7_Click);

    Image2 = new ClickLabel(this);
    Image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image2->setPixmap(logoIcon().pixmap(32, 32));
    Image2->setCursor(handCursor(QStringLiteral(":/hand.png")));
    describe(Image2, QStringLiteral("Orvanet"), QStringLiteral("Vai al sito Orvanet"));
    Image2->setFocusPolicy(Qt::TabFocus);
    place(Image2, 900, 9060, 810, 705);
    connect(Image2, &ClickLabel::clicked, this, &Form1::Image2_Click);

    Label6 = new ClickLabel(kSmorfiaTitle, this);
    Label6->setFont(designFont(kSansSerif, 22.5));
    Label6->setAlignment(Qt::AlignCenter);
    paint(Label6, QColor(255, 192, 128));
    // Read, like Label5, by what it shows.
    describe(Label6, QString(), QStringLiteral("La smorfia napoletana"));
    place(Label6, 4560, 9870, kLabel6Width, kLabel6Height);
    connect(Label6, &ClickLabel::clicked, this, &Form1::Label6_Click);

    // The tab order follows the column from top to bottom.
    QWidget *order[] = {Command4[0], Check1[0], Command4[1], Check1[1], Command4[2], Check1[2],
                        Command4[3], Check1[3], Command4[4], Check1[4], Text1, Check2, Check3,
                        Check5, Label4[0], Label4[1], Label4[2], Label4[3], Label4[4], Label4[5],
                        Command1, Command5, Command2, Label7, Image2};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void Form1::buildBoard()
{
    Picture1 = new QWidget(this);
    paint(Picture1, Qt::black, kDarkGreen);
    describe(Picture1, tr("Tabellone"));
    place(Picture1, 3660, 60, 9135, 8565);

    // Created first, the cells lie behind every other control of the panel.
    for (int i = 0; i < kCells; ++i) {
        Label1[i] = new BoardCell(i, Picture1);
        Label1[i]->hide();
        connect(Label1[i], &BoardCell::clicked, this, &Form1::Label1_Click);
    }
    for (QWidget *&bar : Picture2) {
        bar = new QWidget(Picture1);
        paint(bar, Qt::black, Qt::black);
    }

    Picture3 = new HelpPage(Picture1);
    describe(Picture3, QStringLiteral("Aiuto"));
    Picture3->hide();
    connect(Picture3, &HelpPage::clicked, this, &Form1::Picture3_Click);

    Frame1 = new QFrame(Picture1);
    paint(Frame1, QColor(255, 255, 0), kDarkGreen);
    Frame1->hide();
    Label3 = new ClickLabel(QStringLiteral(" Tombola "), Frame1);
    Label3->setFont(designFont(kArial, 72, true));
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setLargeText(true);
    paint(Label3, QColor(255, 255, 0), kDarkGreen);
    connect(Label3, &ClickLabel::clicked, this, &Form1::Label3_Click);
}

void Form1::wireKeys()
{
    poll_.setAction(KeyboardPoll::kLeft, [this] {
        settings_.setSmorfia(state_.smorfia == 0 ? 1 : 0);
        showState();
    });
    poll_.setAction(KeyboardPoll::kUp, [this] { Label5_Click(); });
    poll_.setAction(KeyboardPoll::kRight, [this] {
        settings_.setScandito(state_.scandito == 0 ? 1 : 0);
        showState();
    });
    poll_.setAction(KeyboardPoll::kDown, [this] { Command2->click(); });
    for (int i = 0; i < kPrizes; ++i)
        poll_.setAction(KeyboardPoll::kF2 + i, [this, i] { Command4[i]->click(); });
    poll_.setAction(KeyboardPoll::kF12, [this] { Command1->click(); });
}

void Form1::showState()
{
    Label5->setText(state_.lastNumberCaption);
    Label6->setText(state_.smorfiaCaption);
    for (int i = 0; i < kPrizes; ++i) {
        Check1[i]->showValue(state_.prize[i]);
        const QColor caption = state_.prizeRed[i] ? QColor(255, 0, 0) : QColor(Qt::white);
        if (Check1[i]->palette().color(QPalette::WindowText) != caption)
            paint(Check1[i], caption, kDarkGreen);
    }
    Check2->showValue(state_.manuale);
    Check3->showValue(state_.scandito);
    Check5->showValue(state_.smorfia);
    for (int k = 0; k < kCartelle; ++k) {
        const QColor back = rgb(cartellaLabelBack(state_.cartellaInPlay[k]));
        if (Label4[k]->palette().color(QPalette::Window) != back)
            paint(Label4[k], Qt::black, back);
        Label4[k]->setEnabled(!state_.cartelleLocked);
    }
    for (int i = 0; i < kCells; ++i)
        Label1[i]->showMarks(state_.cells[i].drawn, state_.cells[i].inPlay);
    if (help_.visible() != Picture3->isVisible()) {
        const TwipsPos at = help_.position();
        Picture3->setGeometry(twipsToPixels(at.left, dpi()), twipsToPixels(at.top, dpi()),
                              twipsToPixels(kHelpPanelWidth, dpi()), twipsToPixels(kHelpPanelHeight, dpi()));
        Picture3->setVisible(help_.visible());
        if (help_.visible())
            Picture3->raise();
        if (Frame1->isVisible())
            Frame1->raise();
    }
}

void Form1::Command2_Click()
{
    game_.Command2_Click();
    showState();
}

void Form1::Label1_Click(int index)
{
    game_.Label1_Click(index);
    showState();
}

void Form1::Command1_Click()
{
    game_.Command1_Click();
    showState();
}

void Form1::Command5_Click()
{
    game_.Command5_Click();
    showState();
}

void Form1::Label4_Click(int k)
{
    // A locked cartella label ignores clicks, like a disabled control.
    if (state_.cartelleLocked)
        return;
    state_.toggleCartella(k);
    showState();
}

void Form1::Check1_MouseUp(int i)
{
    // The box's own change has already reached the state.
    ladder_.Check1_MouseUp(i);
    showState();
}

void Form1::Command4_Click(int i)
{
    ladder_.Command4_Click(i);
    showState();
}

void Form1::Label5_Click()
{
    announcer_.Label5_Click();
}

void Form1::Label6_Click()
{
    announcer_.Label6_Click();
}

void Form1::Label7_Click()
{
    // Every click flips the panel, and showState places it wherever it shows.
    help_.Label7_Click();
    showState();
}

void Form1::Picture3_Click()
{
    help_.Picture3_Click();
    showState();
}

void Form1::Label3_Click()
{
    ::Label3_Click(state_);
}

void Form1::Image2_Click()
{
    platform_.urls.open(makerPageUrl());
}

void Form1::Timer2_Timer()
{
    const BannerView view = banner_.Timer2_Timer(state_.tombolaOut(), state_.messagePending, state_.messageText);
    if (!view.visible) {
        Frame1->hide();
        return;
    }
    Label3->setText(view.caption);
    layOutBanner();
    Frame1->show();
    Frame1->raise();
}

void Form1::layOutBanner()
{
    QFont font = Label3->font();
    if (layout_.bannerFontPt > 0)
        font.setPointSizeF(layout_.bannerFontPt);
    Label3->setFont(font);
    Label3->move(0, 0);
    Label3->adjustSize();
    Frame1->resize(Label3->size());
    const BannerPlace at = placeBanner(Picture1->width(), Picture1->height(), Frame1->width(), Frame1->height());
    Frame1->move(qRound(at.left), qRound(at.top));
}

void Form1::Timer3_Timer()
{
    poll_.Timer3_Timer();
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form1::Form_Resize()
{
    const float d = dpi();
    const TwipsRect previous{pixelsToTwips(Picture1->x(), d), pixelsToTwips(Picture1->y(), d),
                             pixelsToTwips(Picture1->width(), d), pixelsToTwips(Picture1->height(), d)};
    layout_ = layOutBoard(pixelsToTwips(width(), d), pixelsToTwips(height(), d), previous);

    Picture1->setGeometry(toPixelRect(layout_.panel, d));
    QFont numberFont = designFont(kArial, 48);
    if (layout_.numberFontPt > 0)
        numberFont.setPointSizeF(layout_.numberFontPt);
    for (int i = 0; i < kCells; ++i) {
        Label1[i]->setGeometry(toPixelRect(layout_.cells[i], d));
        Label1[i]->setNumberFont(numberFont);
        Label1[i]->show();
    }
    for (int k = 0; k < kBars; ++k)
        Picture2[k]->setGeometry(toPixelRect(layout_.bars[k], d));
    Label6->move(twipsToPixels(layout_.label6Left, d), twipsToPixels(layout_.label6Top, d));
    if (Frame1->isVisible())
        layOutBanner();
}

void Form1::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Every activation shows the window maximised.
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || (windowState() & Qt::WindowMaximized))
        return;
    // Without a window manager the maximised state is only a hint: take the screen as well.
    if (QScreen *where = screen())
        setGeometry(where->availableGeometry());
    setWindowState(Qt::WindowMaximized);
}
