#pragma once

#include "CString.h"

#include "support/AudioFixtures.h"

#include <ostream>

// Lets failed expectations show CString values as text.
inline void PrintTo(const CString& text, std::ostream* out)
{
    *out << '"' << Narrow(text) << '"';
}
