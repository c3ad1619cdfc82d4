#include "app/tab_window.h"

#include "platform/post_message.h"
#include "platform/window_messages.h"

TWin95TabWindow::TWin95TabWindow(QWidget* parent) : QTabWidget(parent) {
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0) {
            PostMessage(widget(index), WM_PANEL_ACTIVATED);
        }
    });
}

void TWin95TabWindow::AddPanel(QWidget* panel, const QString& title) {
    panels_.push_back(panel);
    addTab(panel, title);
}

void TWin95TabWindow::FitToPanels() {
    // The tab widget's size hint is that of its largest panel.
    if (QWidget* frame = window(); frame != this) {
        frame->adjustSize();
    }
}

bool TWin95TabWindow::event(QEvent* event) {
    if (const WindowMessage* m = AsWindowMessage(event)) {
        switch (m->msg) {
            case WM_RADIO_RESET:
            case WM_REMOTE_COMMAND:
                for (QWidget* panel : panels_) {
                    PostMessage(panel, m->msg, m->wParam, m->lParam);
                }
                return true;
            case WM_PANEL_ACTIVATED:
                if (currentWidget() != nullptr) {
                    PostMessage(currentWidget(), WM_PANEL_ACTIVATED);
                }
                return true;
            default:
                return true;
        }
    }
    return QTabWidget::event(event);
}
