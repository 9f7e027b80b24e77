#pragma once
// What tests compare file bytes with: a failure shows both sides as text.
#include <QByteArray>
#include <QTest>

#include <string>

#define COMPARE_BYTES(actual, expected) \
    QCOMPARE(QByteArray::fromStdString(actual), QByteArray::fromStdString(expected))

// How many times part stands in text (overlapping ones counted).
inline size_t Occurrences(const std::string &text, const std::string &part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}
