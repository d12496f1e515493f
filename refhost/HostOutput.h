#pragma once

#include <cstdio>
#include <string>

std::string Utf8(const std::wstring& text);

// Writes one line of text to the stream as UTF-8, whole whatever it holds,
// and flushes it, so a reader of the host's output sees each line at once.
void PrintLine(FILE* stream, const std::wstring& text);

// The text in double quotes, as the host shows paths and names.
std::wstring Quoted(const std::wstring& text);
