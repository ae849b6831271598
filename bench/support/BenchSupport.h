#pragma once

#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
// clang-format off
#include <jpeglib.h>
// clang-format on

// What the benchmark programs share: photo-like test files, the plain libjpeg decode that serves
// as the floor, peak-memory readings and the statistics of the rounds.
namespace Bench {

[[noreturn]] void Die(const char* program, const char* what);

// Writes a photo-like JPEG (smooth light with fine noise, so the file has a camera file's
// detail) of the given size, row by row, so that making it raises no memory peak.
void MakePhoto(const QString& path, int width, int height, unsigned seed = 1);

// libjpeg's plain baseline encode of a width x height RGB raster at quality 90, the program's
// own setting, to a file.
void PlainEncode(const QString& path, const std::vector<JSAMPLE>& raster, int width, int height);

// libjpeg's plain full decode through its stdio source, in 64 KiB reads, into one reused buffer
// of a few rows: as fast as a plain decode gets, so a ratio against it shows only what the
// program adds.
void PlainDecode(const QString& path, std::vector<JSAMPLE>& rows);

// VmHWM and VmRSS of /proc/self/status, in bytes.
qint64 PeakResident();
qint64 CurrentResident();
// Lets VmHWM start again from the current resident size, so a later peak belongs to what ran
// after this call.
void ResetPeakResident();

double Median(std::vector<double> values);

template <typename Work>
double Seconds(const Work& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The times of the floor and of the subject, round by round.
struct TRounds {
    std::vector<double> Floors, Subjects, Ratios;
    double MedianRatio() const { return Median(Ratios); }
};

// Runs the floor and the subject round after round, switching which goes first, so that neither
// gains from the other and load from other work on the machine falls on both. After each round
// onRound(round, floor seconds, subject seconds) runs outside the timing.
template <typename Floor, typename Subject, typename OnRound>
TRounds AlternateRounds(int rounds, const Floor& floor, const Subject& subject,
                        const OnRound& onRound) {
    TRounds result;
    for (int round = 0; round < rounds; ++round) {
        double f = 0, s = 0;
        if (round % 2 == 0) {
            f = Seconds(floor);
            s = Seconds(subject);
        } else {
            s = Seconds(subject);
            f = Seconds(floor);
        }
        result.Floors.push_back(f);
        result.Subjects.push_back(s);
        result.Ratios.push_back(s / f);
        onRound(round, f, s);
    }
    return result;
}

// Keeps freed memory in the process. Left to itself, glibc hands freed memory back to the system
// at some rounds and not at others, depending on where the heap's top happens to lie, and faults
// it back in page by page (some 25 us a page on the virtual machines this runs on), so that
// floor and subject jump between runs by half their time. Call first thing in main().
void KeepFreedMemory();

// Replaces the message boxes by a counter, so that a benchmark notices a failure that the
// program would have shown instead of stopping at a box. Returns the counter. The program's own
// modal windows (the help window of the first start among them) are answered "cancel" without
// being shown: no benchmark waits for a person.
const int& CountMessages();

// Runs QT_QPA_PLATFORM=offscreen unless the environment names a platform.
void UseOffscreenPlatform();

// Makes a new temporary folder the program folder, so that a benchmark never reads or writes
// the user's own data. Returns it, ending in '/'.
QString UseTemporaryProgramDir(const QTemporaryDir& folder, const char* program);

// The start that the benchmark programs share, made first thing in main(): freed memory kept
// (KeepFreedMemory), the offscreen platform, the application, the messages counted
// (CountMessages) and a temporary program folder.
template <typename TApplication>
class TProgram {
public:
    TProgram(int& argc, char** argv, const char* name)
        : FApplication(argc, argv),
          FMessages(CountMessages()),
          FFolder(UseTemporaryProgramDir(FTemporary, name)) {}

    // The program folder, ending in '/'; it goes with the program.
    const QString& Folder() const { return FFolder; }
    // The messages the program would have shown so far.
    int Messages() const { return FMessages; }

private:
    struct TPrepared {
        TPrepared() {
            KeepFreedMemory();
            UseOffscreenPlatform();
        }
    } FPrepared;
    TApplication FApplication;
    const int& FMessages;
    QTemporaryDir FTemporary;
    QString FFolder;
};

}  // namespace Bench
