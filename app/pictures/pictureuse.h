#pragma once

#include <QString>

class QImage;

// Puts the picture on the clipboard as the program's own copy, so the
// picture budget can tell what the clipboard holds.
void PutPictureOnClipboard(const QImage &picture_);

// What holds the pictures counted against the budget, for the message of a
// picture it has no room for: "256 MiB by the picture copied to the
// clipboard, 256 MiB by the picture shown in a viewer, 2 MiB by thumbnails".
QString PictureHolders();

// A picture that could not be loaded or combined (done_), and why: the
// whole text, however long its file's name and the reason are.
void ShowPictureFailure(const char *done_, const QString &fileName_, const QString &reason_);
