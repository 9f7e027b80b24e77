#pragma once
// Where the window asks for "now". The real program reads the system clock; tests fix it.
#include <QDateTime>

class TClock {
public:
    virtual ~TClock() = default;
    virtual QDateTime Now() const = 0; // local date and time
};

class TSystemClock : public TClock {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};
