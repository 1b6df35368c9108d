#pragma once
// A simulated bus on a pseudo-terminal with the program's serial port and
// link on its other end, for tests that run windows against the simulator.
// Instruments are added to simulator.bus() before Open or after it.
#include "link/qtserialport.h"
#include "link/seriallink.h"
#include "sim/ptysimulator.h"

struct PtyLink {
    sim::PtySimulator simulator;
    QtSerialPortControl port;
    SerialLink link{&port};
    QString error;

    // Opens the simulator and the port on it, ready to receive; false, with
    // error filled, when either cannot be opened.
    bool Open()
    {
        if (!simulator.Open(&error))
            return false;
        port.SetPortName(simulator.SlavePath());
        if (!port.SetPortOpen(true, &error))
            return false;
        link.PrepareReceive();
        return true;
    }
};
