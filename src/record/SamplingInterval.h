#pragma once

#include <QByteArrayView>
#include <cstdint>

// The sampling interval in whole seconds from the interval box's text. "", "-" and "+" mean 0.
// Texts the key filter cannot produce (pasted ones) never fail: the number their leading
// digits form is taken, so "12 s" is 12 and "abc" is 0; a negative number is 0, since a
// countdown below zero would never open the sampling gate again; more digits than 32 bits
// hold mean the longest interval there is.
int32_t intervalSeconds(QByteArrayView text);
