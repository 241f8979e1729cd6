#pragma once

#include "serial/CommError.h"


// The description a call was refused with; empty when it went through.
template <typename Error = CommError, typename F>
QString refusal(F &&call)
{
    try {
        call();
    } catch (const Error &e) {
        return e.description();
    }
    return {};
}
