#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "platform/Exception.h"
#include "platform/ProgramDir.h"
#include "tests/support/TestFolder.h"

namespace {

struct TChoiceCase {
    const char* Name;
    const char* File;    // a file written into the executable's folder, or null
    const char* Folder;  // a folder made there, or null
    bool Portable;       // the executable's folder is the program folder
};

class ProgramDirChoice : public testing::TestWithParam<TChoiceCase> {};

TEST_P(ProgramDirChoice, PortableOnlyWithTheSettingsFileOrTheDataFolder) {
    const TChoiceCase& c = GetParam();
    TTestFolder executable;
    TTestFolder user;
    if (c.File)
        executable.WriteFile(QString::fromUtf8(c.File), "[APP]\r\n");
    if (c.Folder)
        executable.MakeDir(QString::fromUtf8(c.Folder));
    // The executable's folder given without its slash, as the application reports it.
    QString executableDir = executable.Path();
    executableDir.chop(1);
    const QString chosen = ChooseProgramDir(executableDir, user.Path());
    EXPECT_EQ(chosen, c.Portable ? executable.Path() : user.Path());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramDirChoice,
    testing::Values(TChoiceCase{"Empty", nullptr, nullptr, false},
                    TChoiceCase{"SettingsFile", "KavroPhoto.ini", nullptr, true},
                    TChoiceCase{"DataFolder", nullptr, "data", true},
                    // Only the exact names count: a build folder holds plenty of other files.
                    TChoiceCase{"DataAsAFile", "data", nullptr, false},
                    TChoiceCase{"SettingsFileAsAFolder", nullptr, "KavroPhoto.ini", false},
                    TChoiceCase{"OtherIni", "kavrophoto.ini", nullptr, false},
                    TChoiceCase{"PhotosWithoutData", nullptr, "photo", false}),
    [](const testing::TestParamInfo<TChoiceCase>& info) { return info.param.Name; });

TEST(ProgramDir, FirstUseMakesTheFolderWithItsDataFolder) {
    TTestFolder root;
    SetProgramDir(root.FilePath(QStringLiteral("share/KavroPhoto")));
    MakeProgramDir();
    EXPECT_TRUE(QFileInfo(root.FilePath(QStringLiteral("share/KavroPhoto/data"))).isDir());
    EXPECT_EQ(SettingsFilePath(), root.FilePath(QStringLiteral("share/KavroPhoto/KavroPhoto.ini")));
    // A second start finds everything in place.
    EXPECT_NO_THROW(MakeProgramDir());
}

TEST(ProgramDir, AFolderThatCannotBeMadeIsNamed) {
    TTestFolder root;
    // A file stands where a parent folder should be: no user, root included, can make it.
    root.WriteFile(QStringLiteral("share"), "not a folder");
    const QString blocked = root.FilePath(QStringLiteral("share"));
    SetProgramDir(blocked + QStringLiteral("/KavroPhoto"));
    try {
        MakeProgramDir();
        FAIL() << "no error";
    } catch (const Exception& error) {
        // The folder that stands in the way is the one named, with the reason.
        EXPECT_TRUE(error.Message().contains(u'"' + blocked + u'"'))
            << error.Message().toStdString();
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("フォルダ ")));
    }
}

}  // namespace
