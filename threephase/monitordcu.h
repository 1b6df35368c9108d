#pragma once
// Three-phase windows built on the family-neutral window classes: relays
// and inputs, event records, and the address, baud rate and clock settings.
#include "link/clockwindow.h"
#include "link/eventlogwindow.h"
#include "link/relaywindow.h"

class TCoulometry2dcu : public RelayWindow {
    Q_OBJECT
public:
    explicit TCoulometry2dcu(SerialLink &link, QWidget *parent = nullptr);
};

class TCoulometry3dcu : public EventLogWindow {
    Q_OBJECT
public:
    explicit TCoulometry3dcu(SerialLink &link, QWidget *parent = nullptr);
};

class TSetPar4dcu : public ClockWindow {
    Q_OBJECT
public:
    explicit TSetPar4dcu(SerialLink &link, QWidget *parent = nullptr);
};
