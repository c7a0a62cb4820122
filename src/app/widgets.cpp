#include "app/widgets.h"

#include "app/text_picture.h"
#include "board/cartella_look.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QSvgRenderer>

namespace {

class ClickLabelAccessible : public QAccessibleWidget {
public:
    explicit ClickLabelAccessible(ClickLabel *label) : QAccessibleWidget(label, QAccessible::Button) {}

    // Without a name of its own the label is read by what it shows.
    QString text(QAccessible::Text kind) const override
    {
        const QString text = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && text.isEmpty())
            return label()->text();
        return text;
    }
    QStringList actionNames() const override { return QAccessibleWidget::actionNames() << pressAction(); }
    void doAction(const QString &action) override
    {
        if (action != pressAction())
            QAccessibleWidget::doAction(action);
        else if (label()->isEnabled())
            emit label()->clicked();
    }

private:
    ClickLabel *label() const { return static_cast<ClickLabel *>(widget()); }
};

QAccessibleInterface *clickLabelAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(ClickLabel::staticMetaObject.className()))
        return new ClickLabelAccessible(static_cast<ClickLabel *>(object));
    return nullptr;
}

} // namespace

ClickLabel::ClickLabel(QWidget *parent) : ClickLabel(QString(), parent) {}

ClickLabel::ClickLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    QAccessible::installFactory(clickLabelAccessible);
}

void ClickLabel::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat())
            emit clicked();
        break;
    default:
        QLabel::keyPressEvent(event);
    }
}

void ClickLabel::paintEvent(QPaintEvent *event)
{
    if (largeText_ && pixmap().isNull()) {
        QPainter painter(this);
        textpicture::drawCentred(painter, contentsRect(), text(), font(), palette().color(foregroundRole()));
    } else {
        QLabel::paintEvent(event);
    }
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(backgroundRole());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

void ClickLabel::mousePressEvent(QMouseEvent *event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

OptionBox::OptionBox(const QString &text, QWidget *parent) : QCheckBox(text, parent)
{
    setTristate(true);
}

int OptionBox::value() const
{
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void OptionBox::showValue(int value)
{
    const QSignalBlocker blocker(this);
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void OptionBox::nextCheckState()
{
    setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
}

void OptionBox::mouseReleaseEvent(QMouseEvent *event)
{
    QCheckBox::mouseReleaseEvent(event);
    if (rect().contains(event->position().toPoint()))
        emit mouseUp(event->button());
}

namespace {

// The two textures scaled to the cells' size in device pixels, shared by all cells.
const QPixmap &paper(bool inPlay, QSize logicalSize, qreal ratio)
{
    const QSize size = (QSizeF(logicalSize) * ratio).toSize();
    static QHash<QString, QPixmap> sources;
    static QHash<QString, QPixmap> scaled;
    const QString path = cellTexture(inPlay);
    const QString key = path + QString::number(size.width()) + 'x' + QString::number(size.height());
    auto found = scaled.find(key);
    if (found != scaled.end())
        return *found;
    if (!sources.contains(path))
        sources.insert(path, QPixmap(path));
    if (scaled.size() > 16)
        scaled.clear();
    QPixmap picture = sources[path].scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    picture.setDevicePixelRatio(ratio);
    return *scaled.insert(key, picture);
}

const QColor kDrawnRed(255, 0, 0);

} // namespace

BoardCell::BoardCell(int index, QWidget *parent) : QWidget(parent), index_(index)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    describe();
}

void BoardCell::showMarks(bool drawn, bool inPlay)
{
    if (drawn == drawn_ && inPlay == inPlay_)
        return;
    drawn_ = drawn;
    inPlay_ = inPlay;
    describe();
    update();
}

void BoardCell::setNumberFont(const QFont &font)
{
    if (font != this->font())
        setFont(font);
}

void BoardCell::describe()
{
    const QString number = QString::number(index_ + 1);
    setAccessibleName(number);
    setAccessibleDescription(drawn_ ? tr("estratto") : tr("non estratto"));
}

void BoardCell::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = rect();
    if (drawn_)
        painter.fillRect(area, kDrawnRed);
    else
        painter.drawPixmap(0, 0, paper(inPlay_, area.size(), devicePixelRatioF()));
    painter.setPen(Qt::black);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    textpicture::drawCentred(painter, area, QString::number(index_ + 1), font(), Qt::black);
}

void BoardCell::mousePressEvent(QMouseEvent *event)
{
    pressed_ = event->button() == Qt::LeftButton;
}

void BoardCell::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        emit clicked(index_);
}

HelpPage::HelpPage(QWidget *parent)
    : QWidget(parent)
{
}

void HelpPage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 255, 128));
    const QRect page(1, 1, width() - 2, height() - 2);
    // Read the picture only when the page is first shown.
    if (!renderer_)
        renderer_ = new QSvgRenderer(QStringLiteral(":/help.svg"), this);
    renderer_->render(&painter, QRectF(page.topLeft(), QSizeF(700, 650)));
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void HelpPage::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
