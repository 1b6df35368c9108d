#include "ui/windowregistry.h"

#include <QWidget>

namespace ui {

std::unique_ptr<QWidget> MakeWindow(const WindowEntry &entry, SerialPortControl &port, SerialLink &link)
{
    std::unique_ptr<QWidget> window = entry.make(port, link);
    if (window && entry.title)
        window->setWindowTitle(QString::fromUtf8(entry.title));
    return window;
}

} // namespace ui
