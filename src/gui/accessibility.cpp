// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/accessibility.h"

#include "game/board.h"
#include "gui/board_view.h"
#include "gui/click_label.h"
#include "gui/help_page.h"
#include "gui/widget_look.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <array>

namespace {

class ClickLabelAccessible : public QAccessibleWidget {
public:
    explicit ClickLabelAccessible(ClickLabel *label) : QAccessibleWidget(label, QAccessible::Button) { }

    // Without a name of its own the label is read by what it shows.
    QString text(QAccessible::Text kind) const override
    {
        const QString text = QAccessibleWidget::text(kind);
        return kind == QAccessible::Name && text.isEmpty() ? label()->text() : text;
    }
    QStringList actionNames() const override { return QStringList(pressAction()) << QAccessibleWidget::actionNames(); }
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

// One cell of a board, which is drawn by its board rather than being a widget of its own.
class CellAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    CellAccessible(BoardView *board, int cell) : board_(board), cell_(cell) { }

    bool isValid() const override { return board_; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return board_ ? board_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(board_); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::CheckBox; }
    void setText(QAccessible::Text, const QString &) override { }
    QRect rect() const override
    {
        const QRect local = board_->cellRect(cell_);
        return QRect(board_->mapToGlobal(local.topLeft()), local.size());
    }
    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name)
            return QString::number(board::numberOf(cell_));
        if (kind != QAccessible::Description)
            return {};
        return QStringLiteral("%1, cartella %2%3")
            .arg(board_->drawn(cell_) ? QStringLiteral("estratto") : QStringLiteral("non estratto"))
            .arg(board::cartellaOf(cell_) + 1)
            .arg(board_->inPlay(cell_) ? QString() : QStringLiteral(", esclusa dal tabellone"));
    }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.checkable = true;
        state.checked = board_->drawn(cell_);
        return state;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            emit board_->numberClicked(board::numberOf(cell_));
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<BoardView> board_;
    int cell_;
};

class BoardAccessible : public QAccessibleWidget {
public:
    explicit BoardAccessible(BoardView *board) : QAccessibleWidget(board, QAccessible::Table) { cells_.fill(0); }
    ~BoardAccessible() override
    {
        for (QAccessible::Id id : cells_)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
    }
    int childCount() const override { return board::kCells; }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= board::kCells)
            return nullptr;
        if (!cells_[index])
            cells_[index] =
                QAccessible::registerAccessibleInterface(new CellAccessible(static_cast<BoardView *>(widget()), index));
        return QAccessible::accessibleInterface(cells_[index]);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < board::kCells; ++i)
            if (cells_[i] && QAccessible::accessibleInterface(cells_[i]) == child)
                return i;
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        auto *view = static_cast<BoardView *>(widget());
        const QPoint local = view->mapFromGlobal(QPoint(x, y));
        for (int i = 0; i < board::kCells; ++i)
            if (view->cellRect(i).contains(local))
                return child(i);
        return nullptr;
    }

private:
    mutable std::array<QAccessible::Id, board::kCells> cells_;
};

// A window of its own is a frame to a screen reader, not a filler.
class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget *window) : QAccessibleWidget(window, QAccessible::Window) { }
};

class HelpAccessible : public QAccessibleWidget {
public:
    explicit HelpAccessible(QWidget *page) : QAccessibleWidget(page, QAccessible::Document) { }
    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name          ? QStringLiteral("Aiuto")
               : kind == QAccessible::Description ? kHelpInWords
                                                  : QString();
    }
};

const QString kAnnouncement = QStringLiteral("announcement");

// Shown for a moment to be said; hidden with its window, so that it is not said again when the
// window shows again.
class Announcement : public QWidget {
public:
    explicit Announcement(QWidget *window) : QWidget(window) { window->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide)
            hide();
        return false;
    }
};

QAccessibleInterface *accessibleFor(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    // A screen reader says a notification as it shows.
    if (widget && widget->objectName() == kAnnouncement)
        return new QAccessibleWidget(widget, QAccessible::Notification);
    if (className == QLatin1String("ClickLabel"))
        return new ClickLabelAccessible(static_cast<ClickLabel *>(object));
    if (className == QLatin1String("BoardView"))
        return new BoardAccessible(static_cast<BoardView *>(object));
    if (className == QLatin1String("HelpPage"))
        return new HelpAccessible(widget);
    if (className == QLatin1String("BoardWindow") || className == QLatin1String("HallWindow"))
        return new WindowAccessible(widget);
    return nullptr;
}

// Enter on the focused button of a dialog presses it, as Space does, also where the dialog
// keeps Enter from its buttons' defaults; a held Enter presses once.
class EnterPressesButton : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        auto *button = qobject_cast<QPushButton *>(watched);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || (key->modifiers() & ~Qt::KeypadModifier) ||
            !button || !button->hasFocus() || !button->isEnabled() || button->window()->windowType() != Qt::Dialog)
            return false;
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }
};

} // namespace

void installAccessibility()
{
    static bool installed = false;
    if (std::exchange(installed, true))
        return;
    QAccessible::installFactory(accessibleFor);
    qApp->installEventFilter(new EnterPressesButton(qApp));
}

void announce(QWidget *window, const QString &text)
{
    if (!QAccessible::isActive() || !window || !window->isActiveWindow())
        return;
    auto *announcement = window->findChild<QWidget *>(kAnnouncement, Qt::FindDirectChildrenOnly);
    if (!announcement) {
        announcement = new Announcement(window);
        announcement->setObjectName(kAnnouncement);
        announcement->setGeometry(0, 0, 1, 1);
        announcement->setFocusPolicy(Qt::NoFocus);
    }
    announcement->hide();
    announcement->setAccessibleName(text);
    announcement->lower();
    announcement->show();
    QTimer::singleShot(500, announcement, &QWidget::hide);
}

QString keysInWords(const QString &tip)
{
    QString words = tip;
    for (const auto &[mark, key] : {std::pair{"(v)", "(tasto freccia giù)"}, {"(^)", "(tasto freccia su)"},
             {"(<)", "(tasto freccia sinistra)"}, {"(>)", "(tasto freccia destra)"}, {"(F12)", "(tasto F12)"}})
        words.replace(QLatin1String(mark), QString::fromUtf8(key));
    return words;
}
