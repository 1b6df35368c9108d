#pragma once
// How a library says which windows it builds: a class name of the window
// table and a function that makes that window. The program creates every
// window it has a factory for, in the table's creation order.
#include <memory>
#include <span>

class QWidget;
class SerialLink;
class SerialPortControl;

struct WindowFactory {
    const char *className;
    std::unique_ptr<QWidget> (*make)(SerialPortControl &port, SerialLink &link);
};

// Makes a window class whose constructor takes the link.
template <class W>
std::unique_ptr<QWidget> MakeWithLink(SerialPortControl &, SerialLink &link)
{
    return std::make_unique<W>(link);
}

// The windows of the link library: the port settings dialog and the scan.
std::span<const WindowFactory> LinkWindowFactories();
