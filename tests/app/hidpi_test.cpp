#include "form1_fixture.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QProcess>

using namespace tabellone;

namespace {

constexpr qreal kScale = 2;

// The rows and columns of `image` that hold a pixel darker than mid grey.
QRect inkBox(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 96)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Of the 2x2 blocks of device pixels, the share whose four pixels are all alike: near 1
// for a picture drawn at half the resolution and blown up.
double flatBlockShare(const QImage &image)
{
    int flat = 0, blocks = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2, ++blocks) {
            const QRgb p = image.pixel(x, y);
            flat += p == image.pixel(x + 1, y) && p == image.pixel(x, y + 1) && p == image.pixel(x + 1, y + 1);
        }
    return blocks == 0 ? 1.0 : double(flat) / blocks;
}

} // namespace

// Qt reads the scale factor once, at start-up, and the test main started at scale 1: the
// checks run in a copy of this program started with QT_SCALE_FACTOR=2.
TEST(HighDpi, AtScaleTwoTheLayoutFillsTheWindowAndTextAndPicturesAreSharp)
{
    if (qApp->devicePixelRatio() != kScale) {
        ASSERT_FALSE(qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) << "the scale factor was not applied";
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_SCALE_FACTOR", QString::number(kScale));
        environment.remove("GTEST_OUTPUT");
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=HighDpi.*"});
        EXPECT_TRUE(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
        return;
    }
    Window w;
    Form1 &form = *w.form;
    form.resize(1280, 800);
    // The left column keeps its design place: "Estrai Numero" at 210, 8050, 1545 x 795 twips.
    EXPECT_EQ(form.Command2->geometry(), QRect(14, 537, 103, 53));
    const QRect panel = form.Picture1->geometry();
    EXPECT_GT(panel.left(), form.Command2->geometry().right());
    EXPECT_GE(panel.right(), form.width() - 9);
    EXPECT_LT(panel.right(), form.width());
    EXPECT_TRUE(form.rect().contains(form.Label6->geometry()));
    EXPECT_GT(form.Label6->y(), panel.bottom());
    EXPECT_LE(form.Label1[0]->geometry().topLeft().manhattanLength(), 16);
    EXPECT_EQ(form.Label1[1]->geometry().left(), form.Label1[0]->geometry().right() + 1);
    EXPECT_GE(form.Label1[kCells - 1]->geometry().right(), panel.width() - 8);
    EXPECT_GE(form.Label1[kCells - 1]->geometry().bottom(), panel.height() - 8);

    const std::pair<QWidget *, QString> texts[] = {{form.Label1[40], "41"}, {form.Command2, "Estrai Numero"}};
    for (const auto &[widget, text] : texts) {
        const QImage image = widget->grab().toImage();
        EXPECT_EQ(image.size(), widget->size() * kScale);
        const qreal height = kScale * QFontMetricsF(widget->font()).tightBoundingRect(text).height();
        EXPECT_NEAR(inkBox(image.copy(image.rect().adjusted(4, 4, -4, -4))).height(), height, 0.25 * height)
            << text.toStdString();
    }
    EXPECT_EQ(form.Image2->pixmap().devicePixelRatio(), kScale);
    EXPECT_EQ(form.Image2->pixmap().size(), QSize(64, 64));
    const QImage cell = form.Label1[0]->grab().toImage();
    EXPECT_LT(flatBlockShare(cell.copy(4, 4, cell.width() / 5, cell.height() / 5)), 0.5);
}
