#pragma once

#include "serial/CommError.h"


// The description a call was refused with; empty when it went through.
template <typename F>
QString refusal(F &&call)
{
    try {
        call();
    } catch (const CommError &e) {
        return e.description();
    }
    return {};
}
