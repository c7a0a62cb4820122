#include "form1_fixture.h"

#include "game/tabellone.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>

using namespace tabellone;

namespace {

constexpr qreal kScale = 2;

// Qt reads the scale factor once, when the application starts, and the shared test main
// has started it at scale 1. So a test here runs again in a copy of this program started
// with QT_SCALE_FACTOR=2, and at scale 1 only reports how that copy did.
bool runningAtScaleTwo()
{
    if (qApp->devicePixelRatio() == kScale)
        return true;
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        ADD_FAILURE() << "QT_SCALE_FACTOR is set but the device pixel ratio is " << qApp->devicePixelRatio();
        return false;
    }
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(kScale));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("GTEST_OUTPUT"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())});
    const bool finished = child.waitForFinished(60000);
    const QByteArray output = child.readAll();
    EXPECT_TRUE(finished) << "the test at scale 2 did not finish";
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    return false;
}

// The rows and columns of `image` that hold a pixel darker than `threshold`.
QRect inkBox(const QImage &image, int threshold = 96)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < threshold)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Of the 2x2 blocks of device pixels, the share whose four pixels are all alike: near 1
// for a picture drawn at half the resolution and blown up, low for one drawn at full.
double flatBlockShare(const QImage &image)
{
    int flat = 0, blocks = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb p = image.pixel(x, y);
            flat += p == image.pixel(x + 1, y) && p == image.pixel(x, y + 1) && p == image.pixel(x + 1, y + 1);
            ++blocks;
        }
    return blocks == 0 ? 1.0 : double(flat) / blocks;
}

} // namespace

class HighDpiTest : public Form1Test {
protected:
    // At scale 1 no window is needed: the copy at scale 2 builds its own.
    void SetUp() override
    {
        if (qApp->devicePixelRatio() == kScale)
            Form1Test::SetUp();
    }

    static QImage grabbed(QWidget *widget) { return widget->grab().toImage(); }
};

TEST_F(HighDpiTest, TheLayoutFillsTheWindowInLogicalPixels)
{
    if (!runningAtScaleTwo())
        return;
    form->resize(1280, 800);
    ASSERT_EQ(form->devicePixelRatioF(), kScale);

    // The left column keeps its design place: "Estrai Numero" at 210, 8050, 1545 x 795 twips.
    EXPECT_EQ(form->Command2->geometry(), QRect(14, 537, 103, 53));

    const QRect window = form->rect();
    const QRect panel = form->Picture1->geometry();
    EXPECT_GT(panel.left(), form->Command2->geometry().right());
    EXPECT_GE(panel.right(), window.right() - 8);
    EXPECT_LE(panel.right(), window.right());
    EXPECT_TRUE(window.contains(form->Label6->geometry())) << "the smorfia line is out of the window";
    EXPECT_GT(form->Label6->y(), panel.bottom());

    // The cells tile the whole panel.
    const QRect first = form->Label1[0]->geometry();
    const QRect last = form->Label1[kCells - 1]->geometry();
    EXPECT_LE(first.left(), 8);
    EXPECT_LE(first.top(), 8);
    EXPECT_GE(last.right(), panel.width() - 8);
    EXPECT_GE(last.bottom(), panel.height() - 8);
    EXPECT_EQ(form->Label1[1]->geometry().left(), first.right() + 1);
}

TEST_F(HighDpiTest, TextIsDrawnAtTwiceTheSizeInDevicePixels)
{
    if (!runningAtScaleTwo())
        return;
    random.script = {41};
    form->Command2_Click();

    struct Shown {
        QWidget *widget;
        QString text;
    };
    const Shown texts[] = {{form->Label1[40], QStringLiteral("41")}, {form->Command2, QStringLiteral("Estrai Numero")}};
    for (const Shown &shown : texts) {
        SCOPED_TRACE(shown.text.toStdString());
        const QImage image = grabbed(shown.widget);
        EXPECT_EQ(image.size(), shown.widget->size() * kScale);
        const qreal logicalHeight = QFontMetricsF(shown.widget->font()).tightBoundingRect(shown.text).height();
        const QRect ink = inkBox(image.copy(image.rect().adjusted(4, 4, -4, -4)));
        EXPECT_NEAR(ink.height(), kScale * logicalHeight, 0.25 * kScale * logicalHeight);
    }
}

TEST_F(HighDpiTest, PicturesAreDrawnAtFullResolution)
{
    if (!runningAtScaleTwo())
        return;
    const QPixmap logo = form->Image2->pixmap();
    EXPECT_EQ(logo.devicePixelRatio(), kScale);
    EXPECT_EQ(logo.size(), QSize(64, 64));

    // The paper of a cell, away from its number and border.
    const QImage cell = grabbed(form->Label1[0]);
    const QImage paper = cell.copy(4, 4, cell.width() / 5, cell.height() / 5);
    EXPECT_LT(flatBlockShare(paper), 0.5);
}
