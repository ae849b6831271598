#pragma once

#include <QString>
#include <QtGlobal>
#include <string>
#include <vector>

// The names of the JPEG files of one folder (".JPG", ".JPE", ".JPEG" in any case; folders, links
// followed, left out; hidden files included) in the order ListFiles gives them: by name, letter
// case ignored first and exactly second. The album lists a dated folder's "reduce/" with it.
//
// It exists beside ListFiles because listing a folder of many photos is what opening the album
// costs: ListFiles compares names case-insensitively, character by character, at every step of
// its sort and builds a full path per file, which made it several times the cost of reading the
// folder. Here the names are kept as the folder gives their bytes, side by side, and each
// all-ASCII name (for ASCII, folding case is lowering A-Z) gets a number: eight lowered bytes
// taken just after the prefix that all the names share. The sort orders small handles by those
// numbers (when every name is ASCII, with a radix sort) and settles ties, and every pair that is
// not all ASCII, by the whole names as ListFiles compares them, so the order is the same. The
// texts are made only when taken, in order, so that they lie in memory in the order of the list.
class TJpegListing {
public:
    // A folder that cannot be read lists nothing.
    explicit TJpegListing(const QString& dir);

    qsizetype Count() const { return qsizetype(FOrder.size()); }
    // The index-th name in order.
    QString TakeName(qsizetype index);

private:
    struct THandle {
        quint64 Window = 0;  // ASCII: lowered bytes after the shared prefix, big-endian;
                             // otherwise the index of the decoded name in FWide
        quint32 Offset = 0;  // of the name's bytes in FBytes
        quint16 Length = 0;
        bool Ascii = false;
    };

    void Sort();
    void SortAsciiByWindow();
    bool LessByName(const THandle& a, const THandle& b) const;
    QString Text(const THandle& item) const;

    std::string FBytes;
    std::vector<QString> FWide;
    std::vector<THandle> FOrder;
};
