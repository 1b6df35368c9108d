#pragma once
// The check every opener of a serial port makes before trying to open one:
// the program's port control and kzctl refuse the same paths with the same
// reason. Qt Core types only, no widgets.
#include <QString>

// Why the port name (a device path, or a name such as ttyUSB0 that the system
// places under /dev) cannot be a serial port: "不是串口设备" for a regular
// file, a directory, /dev/null or the pseudo-terminal multiplexer, which
// would otherwise "open" (or fail with a misleading reason), and "串口名称过长"
// for a path the system cannot take. Empty when it may be a serial port, or
// when opening it will report its own reason (a missing device, no
// permission). On Windows: "不是串口设备" for a path to an existing file or
// folder; a COM name is left to the open.
QString NotASerialPort(const QString &portName);
