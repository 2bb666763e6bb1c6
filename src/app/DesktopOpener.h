#pragma once

class QUrl;

// Hands a file to the desktop's application for its type. Launching the desktop's opener
// succeeds even when no application takes the type, so for a local file this first asks the
// desktop whether one is registered; false when none is, or when the opener cannot be started.
bool openWithDesktop(const QUrl& url);
