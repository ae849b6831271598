#include "model/JpegListing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// True for ".JPG", ".JPE" and ".JPEG" in any case, from the last '.' of the name. No character
// outside ASCII folds to one of these letters, so looking at the bytes gives what looking at the
// decoded name would.
bool HasJpegExtension(const char* name, size_t length) {
    const char* dot = std::strrchr(name, '.');
    if (dot == nullptr)
        return false;
    const size_t size = length - size_t(dot + 1 - name);
    if (size != 3 && size != 4)
        return false;
    char extension[4];
    for (size_t i = 0; i < size; ++i)
        extension[i] = AsciiLower(dot[1 + i]);
    if (size == 4)
        return std::memcmp(extension, "jpeg", 4) == 0;
    return std::memcmp(extension, "jpg", 3) == 0 || std::memcmp(extension, "jpe", 3) == 0;
}

bool IsAscii(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    }
    return true;
}

// Two ASCII names compared with A-Z lowered, as QString::compare ignoring case compares them.
int CompareAsciiFolded(std::string_view a, std::string_view b) {
    const size_t size = std::min(a.size(), b.size());
    for (size_t i = 0; i < size; ++i) {
        const char left = AsciiLower(a[i]);
        const char right = AsciiLower(b[i]);
        if (left != right)
            return left < right ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace

TJpegListing::TJpegListing(const QString& dir) {
    DIR* handle = ::opendir(QFile::encodeName(dir).constData());
    if (handle == nullptr)
        return;
    while (const dirent* entry = ::readdir(handle)) {
        const char* name = entry->d_name;
        const size_t length = std::strlen(name);
        if (!HasJpegExtension(name, length))
            continue;  // "." and ".." among them
        if (entry->d_type == DT_DIR)
            continue;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            if (::fstatat(::dirfd(handle), name, &info, 0) == 0 && S_ISDIR(info.st_mode))
                continue;
        }
        THandle& item = FOrder.emplace_back();
        item.Offset = quint32(FBytes.size());
        item.Length = quint16(length);  // NAME_MAX is 255
        item.Ascii = IsAscii(name, length);
        if (!item.Ascii) {
            item.Window = FWide.size();
            FWide.push_back(QFile::decodeName(name));
        }
        FBytes.append(name, length);
    }
    ::closedir(handle);
    Sort();
}

QString TJpegListing::TakeName(qsizetype index) {
    const THandle& item = FOrder[size_t(index)];
    return item.Ascii ? Text(item) : std::move(FWide[item.Window]);
}

QString TJpegListing::Text(const THandle& item) const {
    return item.Ascii ? QString::fromLatin1(FBytes.data() + item.Offset, item.Length)
                      : FWide[item.Window];
}

void TJpegListing::Sort() {
    // The prefix that every ASCII name shares, lowered.
    const THandle* first = nullptr;
    size_t shared = 0;
    for (const THandle& item : FOrder) {
        if (!item.Ascii)
            continue;
        if (first == nullptr) {
            first = &item;
            shared = item.Length;
            continue;
        }
        const char* a = FBytes.data() + first->Offset;
        const char* b = FBytes.data() + item.Offset;
        size_t i = 0;
        const size_t limit = std::min<size_t>(shared, item.Length);
        while (i < limit && AsciiLower(a[i]) == AsciiLower(b[i]))
            ++i;
        shared = i;
    }
    bool allAscii = true;
    for (THandle& item : FOrder) {
        if (!item.Ascii) {
            allAscii = false;
            continue;
        }
        const char* name = FBytes.data() + item.Offset;
        quint64 window = 0;
        for (size_t i = shared; i < shared + 8; ++i) {
            // A shorter name is padded with zeros, below every character: as in the comparison
            // of the whole names, a name that ends first comes first.
            const char c = i < item.Length ? AsciiLower(name[i]) : '\0';
            window = window << 8 | quint8(c);
        }
        item.Window = window;
    }
    if (allAscii) {
        SortAsciiByWindow();
        return;
    }
    std::sort(FOrder.begin(), FOrder.end(), [this](const THandle& a, const THandle& b) {
        // The windows decide nearly every comparison without a look at the names themselves.
        if (a.Ascii && b.Ascii && a.Window != b.Window)
            return a.Window < b.Window;
        return LessByName(a, b);
    });
}

void TJpegListing::SortAsciiByWindow() {
    // A stable radix sort on the windows, a byte at a time from the lowest, passing over the
    // bytes that every window shares (the extension, mostly); then each run of equal windows
    // is put in order by the whole names.
    std::vector<THandle> buffer(FOrder.size());
    for (int shift = 0; shift < 64; shift += 8) {
        std::array<size_t, 257> starts{};
        for (const THandle& item : FOrder)
            ++starts[((item.Window >> shift) & 0xFF) + 1];
        if (std::find(starts.begin(), starts.end(), FOrder.size()) != starts.end())
            continue;
        for (size_t i = 1; i < starts.size(); ++i)
            starts[i] += starts[i - 1];
        for (const THandle& item : FOrder)
            buffer[starts[(item.Window >> shift) & 0xFF]++] = item;
        FOrder.swap(buffer);
    }
    for (auto run = FOrder.begin(); run != FOrder.end();) {
        auto end = std::find_if(run, FOrder.end(),
                                [&](const THandle& item) { return item.Window != run->Window; });
        if (end - run > 1) {
            std::sort(run, end,
                      [this](const THandle& a, const THandle& b) { return LessByName(a, b); });
        }
        run = end;
    }
}

bool TJpegListing::LessByName(const THandle& a, const THandle& b) const {
    if (a.Ascii && b.Ascii) {
        const std::string_view left(FBytes.data() + a.Offset, a.Length);
        const std::string_view right(FBytes.data() + b.Offset, b.Length);
        const int folded = CompareAsciiFolded(left, right);
        // For ASCII the bytes order as the UTF-16 code units do.
        return folded != 0 ? folded < 0 : left < right;
    }
    const QString left = Text(a);
    const QString right = Text(b);
    const int folded = left.compare(right, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : left < right;
}
