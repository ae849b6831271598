#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/Unit31.h"
#include "app/Unit35.h"
#include "app/Unit40.h"
#include "imaging/TurboImg.h"
#include "tests/support/JpegBuilder.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestFolder.h"

namespace {

QSize JpegSize(const QString& path) {
    QImage image;
    return image.load(path, "JPEG") ? image.size() : QSize();
}

class ImportTest : public ::testing::Test {
protected:
    ImportTest() {
        Setting.ReduceWidth = QStringLiteral("600");
        Setting.ReduceHeight = QStringLiteral("600");
        SaveDir = Folder.MakeDir(QStringLiteral("data/photo/"));
        DateDir = SaveDir + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + u'/';
    }

    QString Source(const QString& name, int width, int height) {
        return TJpegBuilder(width, height).WriteTo(Folder.MakeDir(QStringLiteral("in/")) + name);
    }

    QString Import(const QStringList& files) {
        TForm40 form;
        form.PhotoSetting = &Setting;
        form.SaveDir = SaveDir;
        form.PhotoDirList = &DirList;
        form.FileList = files;
        form.exec();
        Failure = form.Failure();
        return form.DateDirName;
    }

    void AnswerConflict(QRadioButton* TForm35::*choice, const QString& newName = {}) {
        Dialogs.DriveModalNext<TForm35>([choice, newName](TForm35& dialog) {
            (dialog.*choice)->click();
            dialog.Edit1->setText(newName);
            dialog.Button1->click();
        });
    }

    QString FailureText() const {
        try {
            if (Failure)
                std::rethrow_exception(Failure);
        } catch (const Exception& error) {
            return error.Message();
        }
        return {};
    }

    QStringList DirNames() const {
        QStringList names;
        for (const TPhotoDir* dir : DirList)
            names.append(dir->Name);
        return names;
    }

    QStringList Listed(const QString& subfolder) const {
        return QDir(DateDir + subfolder).entryList(QDir::Files, QDir::Name);
    }

    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    TPhotoSetting Setting;
    TPhotoDirList DirList;
    QString SaveDir;
    QString DateDir;
    std::exception_ptr Failure;
};

TEST_F(ImportTest, ImportsEveryChosenFileIntoTodaysFolderAndNamesIt) {
    const QStringList files{Source(QStringLiteral("横.jpg"), 1200, 900),
                            Source(QStringLiteral("IMG_0002.JPG"), 900, 1200)};

    const QString dateDirName = Import(files);

    EXPECT_EQ(dateDirName, QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    EXPECT_EQ(FailureText(), QString());
    EXPECT_EQ(DirNames(), QStringList{dateDirName});
    EXPECT_EQ(Listed(QStringLiteral("thumbnail")),
              (QStringList{QStringLiteral("IMG_0002.JPG"), QStringLiteral("横.jpg")}));
    EXPECT_EQ(JpegSize(DateDir + QStringLiteral("reduce/横.jpg")), QSize(600, 450));
    EXPECT_TRUE(Dialogs.Messages().isEmpty());
}

TEST_F(ImportTest, ReduceSizeThatIsNoNumberMeansSixHundred) {
    Setting.ReduceWidth = QStringLiteral("abc");
    Setting.ReduceHeight = QStringLiteral("300");
    Import({Source(QStringLiteral("a.jpg"), 1600, 800)});
    EXPECT_EQ(JpegSize(DateDir + QStringLiteral("reduce/a.jpg")), QSize(600, 300));
}

TEST_F(ImportTest, ExistingDatedFolderIsNotAddedAgain) {
    Folder.MakeDir(DateDir.mid(Folder.Path().size()) + QStringLiteral("reduce"));
    Import({Source(QStringLiteral("a.jpg"), 300, 200)});
    EXPECT_TRUE(DirNames().isEmpty());
    EXPECT_EQ(FailureText(), QString());
}

TEST_F(ImportTest, ConflictAnswers) {
    const QString path = Source(QStringLiteral("IMG_0001.JPG"), 400, 300);
    Import({path});
    const QByteArray first = Folder.ReadFile(QStringLiteral("in/IMG_0001.JPG"));
    const QString again = TJpegBuilder(300, 400).Solid(10, 200, 30).WriteTo(path);
    const QByteArray second = Folder.ReadFile(QStringLiteral("in/IMG_0001.JPG"));
    const QString stored = DateDir + QStringLiteral("IMG_0001.JPG");

    AnswerConflict(&TForm35::RadioButton2);  // "置き換えない"
    Import({again});
    EXPECT_EQ(Folder.ReadFile(stored.mid(Folder.Path().size())), first);
    EXPECT_EQ(JpegSize(DateDir + QStringLiteral("reduce/IMG_0001.JPG")), QSize(400, 300));

    AnswerConflict(&TForm35::RadioButton3,
                   QStringLiteral("IMG_0001a"));  // "両方のファイルを保存する"
    Import({again});
    for (const QString& sub : {QString(), QStringLiteral("reduce"), QStringLiteral("thumbnail")}) {
        EXPECT_EQ(Listed(sub),
                  (QStringList{QStringLiteral("IMG_0001.JPG"), QStringLiteral("IMG_0001a.JPG")}))
            << sub.toStdString();
    }
    EXPECT_EQ(JpegSize(DateDir + QStringLiteral("reduce/IMG_0001a.JPG")), QSize(300, 400));

    AnswerConflict(&TForm35::RadioButton1);  // "置き換える"
    Import({again});
    EXPECT_EQ(Folder.ReadFile(stored.mid(Folder.Path().size())), second);
    EXPECT_EQ(JpegSize(DateDir + QStringLiteral("thumbnail/IMG_0001.JPG")), QSize(98, 130));
    EXPECT_TRUE(Dialogs.Messages().isEmpty());
}

TEST_F(ImportTest, SkippedFileDoesNotStepTheProgressBar) {
    const QString a = Source(QStringLiteral("a.jpg"), 100, 100);
    const QString b = Source(QStringLiteral("b.jpg"), 100, 100);
    Import({a});
    AnswerConflict(&TForm35::RadioButton2);
    TForm40 form;
    form.PhotoSetting = &Setting;
    form.SaveDir = SaveDir;
    form.PhotoDirList = &DirList;
    form.FileList = {a, b};
    QList<int> steps;
    QObject::connect(form.ProgressBar1, &QProgressBar::valueChanged,
                     [&](int value) { steps.append(value); });
    form.exec();
    EXPECT_EQ(steps, (QList<int>{0, 1}));
    EXPECT_EQ(form.ProgressBar1->maximum(), 2);
    EXPECT_EQ(Listed(QStringLiteral("reduce")), (QStringList{"a.jpg", "b.jpg"}));
}

TEST_F(ImportTest, RenameRefusesEmptyExistingAndUnsafeNames) {
    const QString a = Source(QStringLiteral("a.jpg"), 100, 100);
    Source(QStringLiteral("b.jpg"), 100, 100);
    Import({a, Folder.FilePath(QStringLiteral("in/b.jpg"))});
    QStringList shown;
    Dialogs.DriveModalNext<TForm35>([&](TForm35& dialog) {
        EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("a"));
        EXPECT_EQ(dialog.Label2->text(), QStringLiteral(".jpg"));
        EXPECT_FALSE(dialog.Edit1->isEnabled());
        EXPECT_FALSE(dialog.TurboImage1->Picture().IsEmpty());
        dialog.RadioButton3->click();
        EXPECT_TRUE(dialog.Edit1->isEnabled());
        for (const QString& name : {QString(), QStringLiteral("b"), QStringLiteral("../x")}) {
            dialog.Edit1->setText(name);
            dialog.Button1->click();
            EXPECT_TRUE(dialog.isVisible()) << name.toStdString();
        }
        shown = Dialogs.MessageTexts();
        dialog.Edit1->setText(QStringLiteral("c"));
        dialog.Button1->click();
    });
    Import({a});
    EXPECT_EQ(shown,
              (QStringList{
                  QStringLiteral("変更するファイル名を入力してください。"),
                  QStringLiteral(
                      "既に存在するファイル名が指定されています。ファイル名を変更してください。"),
                  QStringLiteral("ファイル名に使用できない文字が含まれています。")}));
    EXPECT_EQ(Listed(QStringLiteral("reduce")), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_FALSE(QFileInfo::exists(SaveDir + QStringLiteral("x.jpg")));
}

TEST_F(ImportTest, CancelInTheConflictDialogStopsTheImport) {
    const QString a = Source(QStringLiteral("a.jpg"), 100, 100);
    Import({a});
    const QString b = Source(QStringLiteral("b.jpg"), 100, 100);
    const QString c = Source(QStringLiteral("c.jpg"), 100, 100);
    Dialogs.DriveModalNext<TForm35>([](TForm35& dialog) { dialog.Button2->click(); });
    Import({b, a, c});
    EXPECT_EQ(Listed(QString()), (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_EQ(Listed(QStringLiteral("thumbnail")), (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_EQ(FailureText(), QString());
}

class ImportStopTest : public ImportTest, public ::testing::WithParamInterface<bool> {};

// "中止" pressed while the first photo's preview is up, answered from inside the event processing.
TEST_P(ImportStopTest, StopFinishesThePhotoInHand) {
    const bool confirm = GetParam();
    const QStringList files{Source(QStringLiteral("a.jpg"), 100, 100),
                            Source(QStringLiteral("b.jpg"), 100, 100),
                            Source(QStringLiteral("c.jpg"), 100, 100)};
    if (!confirm)
        Dialogs.AnswerNext(Dialogs::TMsgResult::No);
    TForm40 form;
    form.PhotoSetting = &Setting;
    form.SaveDir = SaveDir;
    form.PhotoDirList = &DirList;
    form.FileList = files;
    bool pressed = false;
    form.TurboImage2->Picture().OnChange = [&] {
        if (pressed || form.TurboImage2->Picture().IsEmpty())
            return;
        pressed = true;
        QTimer::singleShot(0, form.Button3, &QPushButton::click);
    };
    form.exec();
    ASSERT_EQ(Dialogs.MessageTexts(),
              QStringList{QStringLiteral("取り込みを中止します。よろしいですか？")});
    EXPECT_EQ(Dialogs.Messages().front().Title, QStringLiteral("情報"));
    const QStringList expected =
        confirm ? QStringList{"a.jpg"} : QStringList{"a.jpg", "b.jpg", "c.jpg"};
    EXPECT_EQ(Listed(QString()), expected);
    EXPECT_EQ(Listed(QStringLiteral("reduce")), expected);
    EXPECT_EQ(Listed(QStringLiteral("thumbnail")), expected);
}

INSTANTIATE_TEST_SUITE_P(Answers, ImportStopTest, ::testing::Bool());

TEST(ImportWindow, AsksForATitleWithoutButtons) {
    const Qt::WindowFlags flags = TForm40().windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint)) << "else Qt adds the default buttons";
    for (Qt::WindowType button : {Qt::WindowSystemMenuHint, Qt::WindowMinimizeButtonHint,
                                  Qt::WindowMaximizeButtonHint, Qt::WindowCloseButtonHint}) {
        EXPECT_FALSE(flags.testFlag(button)) << int(button);
    }
}

TEST_F(ImportTest, CorruptFileStopsTheImportAndKeepsWhatCameBefore) {
    const QString good = Source(QStringLiteral("a.jpg"), 100, 100);
    const QString bad = Folder.WriteFile(QStringLiteral("in/bad.jpg"),
                                         QByteArray("\xFF\xD8\xFF\xE0 not a jpeg", 16));
    const QString later = Source(QStringLiteral("c.jpg"), 100, 100);
    Import({good, bad, later});
    EXPECT_TRUE(
        FailureText().startsWith(QStringLiteral("ファイル \"") + bad +
                                 QStringLiteral("\" を取り込めませんでした。\nJPEG エラー #")))
        << FailureText().toStdString();
    EXPECT_TRUE(FailureText().endsWith(
        QStringLiteral("このファイルより後の 1 個のファイルは取り込まれていません。")));
    EXPECT_EQ(Listed(QString()), QStringList{"a.jpg"});
    EXPECT_EQ(Listed(QStringLiteral("reduce")), QStringList{"a.jpg"});
    EXPECT_EQ(DirNames().size(), 1) << "the dated folder holding a.jpg can be listed";
}

TEST_F(ImportTest, MainWindowImportsTheChosenFilesAndReportsErrors) {
    TForm31 form;
    form.show();
    form.PageControl1->setCurrentWidget(form.TabSheet2);
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(form.BitBtn5, Qt::LeftButton);  // the chooser is cancelled
    ASSERT_EQ(Dialogs.FileRequests().size(), 1);
    EXPECT_EQ(Dialogs.FileRequests().front().NameFilters.front().left(16),
              QStringLiteral("JPEG イメージファイル (*"));
    EXPECT_TRUE(Dialogs.FileRequests().front().MultiSelect);
    EXPECT_FALSE(QFileInfo::exists(DateDir));

    Dialogs.ChooseFilesNext({Source(QStringLiteral("a.jpg"), 100, 100)});
    Dialogs.RunModalNext();
    QTest::mouseClick(form.BitBtn5, Qt::LeftButton);
    EXPECT_EQ(Dialogs.ModalTitles().back(), QStringLiteral("写真を取り込み中..."));
    EXPECT_EQ(Listed(QString()), QStringList{"a.jpg"});
    EXPECT_EQ(form.Album->PhotoDirList().Count(), 1);

    Dialogs.ChooseFilesNext({Folder.WriteFile(QStringLiteral("in/empty.jpg"), QByteArray())});
    Dialogs.RunModalNext();
    QTest::mouseClick(form.BitBtn5, Qt::LeftButton);
    ASSERT_EQ(Dialogs.Messages().size(), 1);
    EXPECT_TRUE(Dialogs.MessageTexts().front().contains(QStringLiteral("\nJPEG エラー #")))
        << Dialogs.MessageTexts().front().toStdString();
}

}  // namespace
