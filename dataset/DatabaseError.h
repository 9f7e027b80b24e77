#pragma once
// EDatabaseError: what the dataset framework and the datasets raise for misuse and for
// records or files they cannot work with.
#include <string>

#include "zelException.h"

class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

[[noreturn]] inline void DatabaseError(const std::string &message)
{
    throw EDatabaseError(message);
}
