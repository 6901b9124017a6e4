// Linked into every test program: a run-time error fails the running test at
// once, with its message in the test output, instead of leaving a modal
// message box that nobody will close.

#include "ui/runtime.h"

#include <QtGlobal>

namespace {

void failTheTest(ui::RuntimeError kind, const QString &where)
{
    qFatal("%s", qUtf8Printable(ui::logLine(kind, where)));
}

const bool installed = (ui::setRuntimeErrorPresenter(failTheTest), true);

} // namespace
