#include "ui/form.h"

#include "ui/accessible.h"
#include "ui/layout.h"
#include "ui/look.h"
#include "ui/twips.h"

#include <QIcon>
#include <QPixmap>

#include <algorithm>
#include <string_view>
#include <vector>

namespace ui {

namespace {

// The window's 32 x 32 icon, compiled in: an XPM array is read directly,
// where an image file would first have Qt look through its image plugins.
#include "ui/vendrola.xpm"

QFont fontFor(const layout::Font &entry)
{
    // Ask for the designed family; fontconfig fills in a metric-compatible
    // substitute (Liberation Serif for Times New Roman) where it is missing.
    QFont font(QString::fromLatin1(entry.family));
    font.setPointSizeF(entry.pointSize);
    font.setWeight(QFont::Normal);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

Qt::Alignment alignmentFor(layout::Align align)
{
    const Qt::Alignment horizontal =
        align == layout::Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft;
    return horizontal | Qt::AlignTop;
}

} // namespace

QFont Form::windowFont()
{
    return fontFor(layout::kWindowFont);
}

Form::Form(QWidget *parent) : QWidget(parent)
{
    installAccessibleInterfaces();
    setObjectName(QStringLiteral("Vendrola"));
    // A fixed size, and no maximise button or resize handle where the
    // window manager honours these hints.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(layout::kWindow.caption));
    setWindowIcon(QIcon(QPixmap(vendrola_xpm)));
    setFont(windowFont());
    setFixedSize(twipsToPixels(layout::kWindow.clientWidth),
                 twipsToPixels(layout::kWindow.clientHeight));
#ifdef Q_OS_WASM
    // In a page the window is all the canvas shows, without a frame of its
    // own: the page, sized to it, is its frame and carries its title.
    setWindowState(Qt::WindowFullScreen);
#endif
    // The designed look whatever the desktop's style and colour scheme:
    // every control is drawn in it, so the layout's colours keep their
    // contrast and the lists their row height.
    setStyle(designedStyle());
    QPalette pal = designedPalette();
    pal.setColor(QPalette::Window, toQColor(layout::kWindow.background));
    setPalette(pal);
    setAutoFillBackground(true);

    std::vector<std::pair<int, QWidget *>> focusOrder;
    for (const layout::Control &entry : layout::controls()) {
        const QString text = QString::fromUtf8(entry.text);
        QWidget *widget = nullptr;
        switch (entry.array) {
        case layout::Array::Label1:
        case layout::Array::Label2: {
            auto *label = new Label(this);
            label->setText(text);
            label->setAlignment(alignmentFor(entry.align));
            (entry.array == layout::Array::Label1 ? Label1 : Label2).add(label);
            widget = label;
            break;
        }
        case layout::Array::Command1:
        case layout::Array::Command3: {
            auto *button = new CommandButton(this);
            button->setText(text);
            (entry.array == layout::Array::Command1 ? Command1 : Command3).add(button);
            widget = button;
            break;
        }
        case layout::Array::List1: {
            auto *list = new ListBox(this);
            List1.add(list);
            widget = list;
            break;
        }
        case layout::Array::Picture1:
            Picture1 = new PictureBox(this);
            Picture1->setDesignedHeight(entry.height);
            widget = Picture1;
            break;
        case layout::Array::Text1:
            Text1 = new TextBox(this);
            // The text box keeps lines, not line-end characters: a CR would
            // otherwise start a block of its own and double every break.
            Text1->setPlainText(
                layout::taskStatement().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            widget = Text1;
            break;
        }
        // A style set on a widget does not reach the parts it is made of,
        // such as a list's scroll bars.
        widget->setStyle(designedStyle());
        for (QWidget *part : widget->findChildren<QWidget *>())
            part->setStyle(designedStyle());
        widget->setObjectName(layout::controlName(entry));
        if (const QString name = layout::accessibleName(entry); !name.isEmpty())
            widget->setAccessibleName(name);
        if (std::string_view(entry.font.family) != layout::kWindowFont.family ||
            entry.font.pointSize != layout::kWindowFont.pointSize)
            widget->setFont(fontFor(entry.font));
        if (entry.background) {
            if (auto *label = qobject_cast<Label *>(widget))
                label->setBackColor(*entry.background);
            else if (auto *button = qobject_cast<CommandButton *>(widget))
                button->setBackColor(*entry.background);
        }
        widget->setGeometry(twipsToPixelRect(entry.left, entry.top, entry.width, entry.height));
        if (widget->focusPolicy() != Qt::NoFocus)
            focusOrder.emplace_back(entry.tabIndex, widget);
    }

    std::sort(focusOrder.begin(), focusOrder.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        setTabOrder(focusOrder[i - 1].second, focusOrder[i].second);
    if (!focusOrder.empty())
        focusOrder.front().second->setFocus();
}

void Form::setVisible(bool visible)
{
    if (visible && !loaded_) {
        loaded_ = true;
        emit Load();
    }
    QWidget::setVisible(visible);
}

} // namespace ui
