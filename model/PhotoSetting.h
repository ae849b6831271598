#pragma once

#include <QString>
#include <QStringList>

// The few settings of the program, kept in the INI file beside the executable.
class TPhotoSetting {
public:
    static constexpr int DefaultReduceSize = 600;

    QString ReduceWidth;            // PHOTO/REDUCE_WIDTH, decimal text as stored
    QString ReduceHeight;           // PHOTO/REDUCE_HEIGHT, decimal text as stored
    bool ThumbnailDrawAll = false;  // PHOTO/THUMBNAIL_DRAW_ALL; edited only in the file itself
    QString SaveFolder;             // PHOTO/SAVE_FOLDER: the folder combo's text at the last close
    bool FirstStarting = false;     // APP/FIRST_STARTING: true until the album tab was shown once

    void Load();
    // Raises EIniWriteError ("%s に書き込めません"); keys written before the failing one stay.
    void Save();

    static QString FileName();
};

// The folder entry that a remembered SaveFolder text names: the first whose text equals it, else
// the first whose text, written to CP932 as the settings file writes it (a character outside
// CP932 as '?'), gives the same bytes: a path "Café" is remembered as "Caf?". -1 when none does.
int RememberedFolderIndex(const QStringList& entries, const QString& remembered);

// A reduce size as the consumers use it: the decimal value of the text, or 600 when the text is
// not a decimal integer.
int ReduceSizeValue(const QString& text);
