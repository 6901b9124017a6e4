#include "web/accessibletwin.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QtGui/private/qguiapplication_p.h>
#include <QTimer>
#include <QWidget>

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <functional>
#include <string>

namespace web {

namespace {

using emscripten::val;

// The page script's twin, which turns descriptions into elements.
val twinScript()
{
    return val::global("vendrolaTwin");
}

// The ARIA role for a toolkit role; empty for plain text, nullptr for parts
// of controls that a screen reader does not need, such as scroll bars.
const char *ariaRole(QAccessibleInterface &face)
{
    switch (face.role()) {
    case QAccessible::Button:
        return "button";
    case QAccessible::StaticText:
        // A label that can be pressed is a button to a screen reader in a
        // page; Orca calls it a label with a press action.
        return face.actionInterface() && !face.actionInterface()->actionNames().isEmpty() ? "button"
                                                                                          : "";
    case QAccessible::List:
    case QAccessible::Chart:
        // The chart's months are chosen with the arrow keys like a list's
        // items; it says it is a chart.
        return "listbox";
    case QAccessible::ListItem:
        return "option";
    case QAccessible::EditableText:
        return "textbox";
    default:
        return nullptr;
    }
}

// The window that the twin shows: the application's one visible window.
QWidget *shownWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible())
            return widget;
    return nullptr;
}

// The items of a control that the twin shows as its children: a list's
// rows, the chart's months.
QList<QAccessibleInterface *> itemsOf(QAccessibleInterface &control)
{
    QList<QAccessibleInterface *> items;
    if (QAccessibleTableInterface *table = control.tableInterface()) {
        for (int row = 0; row < table->rowCount(); ++row)
            if (QAccessibleInterface *cell = table->cellAt(row, 0))
                items << cell;
    } else if (control.role() == QAccessible::Chart) {
        for (int i = 0; i < control.childCount(); ++i)
            items << control.child(i);
    }
    return items;
}

// Calls visit(interface, id, parent id, role) for every element of the twin,
// controls in the window's order, each followed by its items, until a visit
// returns true: one that acted on the window, which may have changed what
// the rest of the walk would visit.
void forEachElement(QWidget &window,
                    const std::function<bool(QAccessibleInterface &, const std::string &,
                                             const std::string &, const char *)> &visit)
{
    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(&window);
    for (int i = 0; root && i < root->childCount(); ++i) {
        QAccessibleInterface *control = root->child(i);
        const char *role = control ? ariaRole(*control) : nullptr;
        if (!role || control->state().invisible || !control->object())
            continue;
        // "Command1(3)" is "twin-Command1-3" in the page.
        const QString name = control->object()->objectName();
        const std::string id = "twin-" + QString(name)
                                             .replace(QLatin1Char('('), QLatin1Char('-'))
                                             .remove(QLatin1Char(')'))
                                             .toStdString();
        if (visit(*control, id, std::string(), role))
            return;
        const QList<QAccessibleInterface *> items = itemsOf(*control);
        for (int row = 0; row < items.size(); ++row)
            if (visit(*items[row], id + "-" + std::to_string(row), id, ariaRole(*items[row])))
                return;
    }
}

// Where the keyboard focus is, as a screen reader is told: a list or the
// chart with a current item has the focus on that item.
QAccessibleInterface *focusedInterface()
{
    QWidget *widget = QApplication::focusWidget();
    QAccessibleInterface *face = widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
    if (face && (face->tableInterface() || face->role() == QAccessible::Chart))
        if (QAccessibleInterface *item = face->focusChild())
            return item;
    return face;
}

// Describes every element to the page script, which makes, changes or
// removes elements as needed and moves the page's focus to the focused one.
void sync()
{
    const val twin = twinScript();
    QWidget *window = shownWindow();
    if (twin.isUndefined() || !window)
        return;
    const QPoint origin = window->geometry().topLeft();
    QAccessibleInterface *focused = focusedInterface();
    val nodes = val::array();
    std::string focusedId;
    forEachElement(*window, [&](QAccessibleInterface &face, const std::string &id,
                                const std::string &parent, const char *role) {
        const QAccessible::State state = face.state();
        const QRect place = face.rect().translated(-origin);
        val node = val::object();
        node.set("id", id);
        node.set("parent", parent);
        node.set("role", std::string(role ? role : ""));
        node.set("name", face.text(QAccessible::Name).toStdString());
        node.set("description", face.text(QAccessible::Description).toStdString());
        if (face.role() == QAccessible::EditableText)
            node.set("value", face.text(QAccessible::Value).toStdString());
        if (face.role() == QAccessible::Chart)
            node.set("roleDescription", std::string("диаграма"));
        node.set("disabled", bool(state.disabled));
        node.set("selected", bool(state.selected));
        node.set("readOnly", bool(state.readOnly));
        node.set("focusable", bool(state.focusable));
        node.set("left", place.x());
        node.set("top", place.y());
        node.set("width", place.width());
        node.set("height", place.height());
        nodes.call<void>("push", node);
        if (&face == focused)
            focusedId = id;
        return false;
    });
    twin.call<void>("sync", window->windowTitle().toStdString(), nodes, focusedId);
}

// Every accessibility event may change what the twin shows; the events of
// one turn of the event loop lead to one description, after it.
void scheduleSync(QAccessibleEvent *)
{
    static bool pending = false;
    if (pending)
        return;
    pending = true;
    QTimer::singleShot(0, qApp, [] {
        pending = false;
        sync();
    });
}

// A list's item clicked as a person would: scrolled into view first, then
// pressed and released at its middle.
void clickItem(QAbstractItemView &view, const QModelIndex &index)
{
    view.scrollTo(index);
    QWidget *viewport = view.viewport();
    const QPoint at = view.visualRect(index).center();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
}

// A screen reader's "activate" on an element of the page: a list's item is
// clicked, as it would be with the mouse; a control, or a month of the
// chart, does its press action, as a click on it (or on the month's label)
// would.
void press(const std::string &id)
{
    QWidget *window = shownWindow();
    if (!window)
        return;
    forEachElement(*window, [&id](QAccessibleInterface &face, const std::string &faceId,
                                  const std::string &, const char *) {
        if (faceId != id)
            return false;
        QAccessibleInterface *parent = face.parent();
        auto *view = qobject_cast<QAbstractItemView *>(parent ? parent->object() : nullptr);
        if (QAccessibleTableCellInterface *cell = face.tableCellInterface(); cell && view) {
            clickItem(*view, view->model()->index(cell->rowIndex(), cell->columnIndex()));
            return true;
        }
        QAccessibleActionInterface *actions = face.actionInterface();
        if (actions && actions->actionNames().contains(QAccessibleActionInterface::pressAction()))
            actions->doAction(QAccessibleActionInterface::pressAction());
        return true;
    });
}

// The control an element of the page stands for, if it is a widget that
// takes text: the text box, typed into on a touch screen.
QWidget *textControl(const std::string &id)
{
    QWidget *window = shownWindow();
    QWidget *control = nullptr;
    if (window)
        forEachElement(*window, [&](QAccessibleInterface &face, const std::string &faceId,
                                    const std::string &, const char *) {
            if (faceId != id)
                return false;
            auto *widget = qobject_cast<QWidget *>(face.object());
            if (face.role() == QAccessible::EditableText && widget &&
                widget->testAttribute(Qt::WA_InputMethodEnabled))
                control = widget;
            return true;
        });
    return control;
}

// Text typed or pasted into the text box's element, which a phone's or a
// tablet's keyboard types into: given to the text box as an input method
// gives it, at its cursor.
void type(const std::string &id, const std::string &text)
{
    if (QWidget *control = textControl(id)) {
        QInputMethodEvent event;
        event.setCommitString(QString::fromStdString(text));
        QApplication::sendEvent(control, &event);
    }
}

// The editing keys such a keyboard gives as edits, not as keys: a new line
// and deleting before or after the cursor.
void edit(const std::string &id, const std::string &what)
{
    QWidget *control = textControl(id);
    const int key = what == "insertParagraph" || what == "insertLineBreak" ? Qt::Key_Return
                    : what == "deleteContentBackward"                     ? Qt::Key_Backspace
                    : what == "deleteContentForward"                      ? Qt::Key_Delete
                                                                          : 0;
    if (!control || !key)
        return;
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, Qt::NoModifier);
        QApplication::sendEvent(control, &event);
    }
}

} // namespace

void installAccessibleTwin()
{
    if (twinScript().isUndefined())
        return;
    QAccessible::installUpdateHandler(scheduleSync);
    // The toolkit sends its events only while the platform's accessibility
    // is active; in a page, nothing else switches it on.
    if (QPlatformAccessibility *platform =
            QGuiApplicationPrivate::platformIntegration()->accessibility())
        platform->setActive(true);
}

} // namespace web

EMSCRIPTEN_BINDINGS(vendrola_twin)
{
    emscripten::function("vendrolaTwinPress", &web::press);
    emscripten::function("vendrolaTwinType", &web::type);
    emscripten::function("vendrolaTwinEdit", &web::edit);
}
