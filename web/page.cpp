#include "web/page.h"

#include "ui/runtime.h"
#include "web/accessibletwin.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QScreen>
#include <QtGui/private/qhighdpiscaling_p.h>
#include <QWidget>

#include <string>

#include <emscripten/bind.h>
#include <emscripten/val.h>

namespace web {

namespace {

// The page script's object, which shows what the page says in place of the
// window; undefined where the program runs in another page.
emscripten::val pageScript()
{
    return emscripten::val::global("vendrolaPage");
}

// Whether the page script offers a function: one of another build (a page
// kept from before) may not.
bool pageOffers(const emscripten::val &page, const char *name)
{
    return !page.isUndefined() && page[name].typeOf().as<std::string>() == "function";
}

// A run-time error is shown where the window was, in the message box's
// words; the program then ends.
void showInPage(ui::RuntimeError kind, const QString &where)
{
    if (const emscripten::val page = pageScript(); pageOffers(page, "showFault"))
        page.call<void>("showFault", ui::userMessage(kind, where).toStdString());
}

// The page fits the window to the screen it is shown on and says at what
// scale: the canvas then covers the window's logical pixels times that
// scale in CSS pixels. The toolkit scales its screen by as much, so the
// window keeps its logical size and layout, and its words and lines are
// drawn for the device pixels they are shown on, not stretched afterwards.
void showAtScale(double scale)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen || !(scale > 0.0) || qFuzzyCompare(QHighDpiScaling::factor(screen), scale))
        return;
    QHighDpiScaling::setScreenFactor(screen, scale);
    // Every control is drawn again at the new scale: the opaque ones too,
    // which a window's own update leaves to themselves.
    for (QWidget *widget : QApplication::allWidgets())
        widget->update();
}

} // namespace

void prepareToolkit()
{
    // No input context of the toolkit's: on a touch screen it would put a
    // nameless text field of its own in the page, which takes the focus
    // from the window's accessible twin and (in later Qt) refuses pastes.
    // The twin's text box takes the typing of a touch screen's keyboard
    // itself; keys reach the window as everywhere else.
    qputenv("QT_IM_MODULE", "none");
}

void preparePage()
{
    // The page carries Liberation Serif, metric-compatible with the Times
    // New Roman the window asks for; the colour buttons' MS Sans Serif shows
    // no text, and is mapped to it too, so that no font goes missing.
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSerif-Regular.ttf"));
    for (const char *family : {"Times New Roman", "MS Sans Serif"})
        QFont::insertSubstitution(QString::fromLatin1(family), QStringLiteral("Liberation Serif"));
    ui::setRuntimeErrorPresenter(showInPage);
    if (const emscripten::val page = pageScript(); pageOffers(page, "scale"))
        showAtScale(page.call<double>("scale"));
    installAccessibleTwin();
}

} // namespace web

EMSCRIPTEN_BINDINGS(vendrola_page)
{
    emscripten::function("vendrolaShowAtScale", &web::showAtScale);
}
