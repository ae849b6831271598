#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
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
        Report = form.Report();
        return form.DateDirName;
    }

    void AnswerConflict(QRadioButton* TForm35::*choice, const QString& newName = {}) {
        Dialogs.DriveModalNext<TForm35>([choice, newName](TForm35& dialog) {
            (dialog.*choice)->click();
            dialog.Edit1->setText(newName);
            dialog.Button1->click();
        });
    }

    // A file that libjpeg decodes with a warning: its data stops a quarter into the scan.
    QString CutShort(const QString& name) {
        const QByteArray whole = TJpegBuilder(120, 90).Encode();
        const qsizetype scan = whole.indexOf("\xFF\xDA");
        return Folder.WriteFile(QStringLiteral("in/") + name,
                                whole.left(scan + (whole.size() - scan) / 4));
    }

    QString Undecodable(const QString& name) {
        return Folder.WriteFile(QStringLiteral("in/") + name,
                                QByteArray("\xFF\xD8\xFF\xE0 not a jpeg", 16));
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
    QString Report;
};

TEST_F(ImportTest, ImportsEveryChosenFileIntoTodaysFolderAndNamesIt) {
    const QStringList files{Source(QStringLiteral("横.jpg"), 1200, 900),
                            Source(QStringLiteral("IMG_0002.JPG"), 900, 1200)};

    const QString dateDirName = Import(files);

    EXPECT_EQ(dateDirName, QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    EXPECT_EQ(Report, QString());
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
    EXPECT_EQ(Report, QString());
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

TEST_F(ImportTest, RenameRefusesNamesThatCannotBeKeptAndStaysOpen) {
    const QString a = Source(QStringLiteral("a.jpg"), 100, 100);
    Source(QStringLiteral("b.jpg"), 100, 100);
    Import({a, Folder.FilePath(QStringLiteral("in/b.jpg"))});
    const QString tooLong = QStringLiteral("ファイル名が長すぎます。");
    const QString unusable = QStringLiteral("ファイル名に使用できない文字が含まれています。");
    const struct {
        QString Name;
        QString Message;
    } refused[] = {
        {QString(), QStringLiteral("変更するファイル名を入力してください。")},
        {QStringLiteral("b"),
         QStringLiteral(
             "既に存在するファイル名が指定されています。ファイル名を変更してください。")},
        {QStringLiteral("../x"), unusable},
        {QStringLiteral("x") + QChar(0) + QStringLiteral("y"), unusable},
        {QString(300, u'長'), tooLong},
        {QString(252, u'a'), tooLong},  // 256 bytes with ".jpg"
    };
    const QString longest(251, u'a');  // 255 bytes with ".jpg"
    Dialogs.DriveModalNext<TForm35>([&](TForm35& dialog) {
        EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("a"));
        EXPECT_EQ(dialog.Label2->text(), QStringLiteral(".jpg"));
        EXPECT_FALSE(dialog.Edit1->isEnabled());
        EXPECT_FALSE(dialog.TurboImage1->Picture().IsEmpty());
        dialog.RadioButton3->click();
        EXPECT_TRUE(dialog.Edit1->isEnabled());
        for (const auto& c : refused) {
            dialog.Edit1->setText(c.Name);
            dialog.Button1->click();
            EXPECT_TRUE(dialog.isVisible()) << c.Name.toStdString();
            ASSERT_FALSE(Dialogs.MessageTexts().isEmpty());
            EXPECT_TRUE(Dialogs.MessageTexts().back().startsWith(c.Message))
                << Dialogs.MessageTexts().back().toStdString();
        }
        EXPECT_EQ(Dialogs.Messages().size(), std::size(refused));
        dialog.Edit1->setText(longest);
        dialog.Button1->click();
    });
    Import({a});
    EXPECT_EQ(Listed(QStringLiteral("reduce")),
              (QStringList{"a.jpg", longest + QStringLiteral(".jpg"), "b.jpg"}));
    EXPECT_EQ(Report, QString());
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
    EXPECT_EQ(Report, QString());
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

TEST_F(ImportTest, FilesThatCannotBeImportedArePassedOverAndReportedOnce) {
    const QStringList files{Source(QStringLiteral("a.jpg"), 100, 100), Undecodable("bad.jpg"),
                            CutShort(QStringLiteral("cut.jpg")),
                            Source(QStringLiteral("d.jpg"), 100, 100),
                            Source(QStringLiteral("e.jpg"), 100, 100)};
    // A folder where e.jpg's reduced copy must go: that write fails for this one file.
    Folder.MakeDir(DateDir.mid(Folder.Path().size()) + QStringLiteral("reduce/e.jpg"));
    TForm40 form;
    form.PhotoSetting = &Setting;
    form.SaveDir = SaveDir;
    form.PhotoDirList = &DirList;
    form.FileList = files;
    QList<int> steps;
    QObject::connect(form.ProgressBar1, &QProgressBar::valueChanged,
                     [&](int value) { steps.append(value); });
    form.exec();

    EXPECT_EQ(steps, (QList<int>{0, 1, 2, 3, 4, 5})) << "every file steps the bar";
    const QStringList imported{"a.jpg", "cut.jpg", "d.jpg"};
    EXPECT_EQ(Listed(QString()), imported) << "e.jpg's copy went with its failed reduced copy";
    EXPECT_EQ(Listed(QStringLiteral("thumbnail")), imported);
    EXPECT_EQ(Folder.ReadFile(DateDir.mid(Folder.Path().size()) + QStringLiteral("cut.jpg")),
              Folder.ReadFile(QStringLiteral("in/cut.jpg")));
    EXPECT_EQ(JpegSize(DateDir + QStringLiteral("reduce/cut.jpg")), QSize(120, 90));
    const QStringList lines = form.Report().split(u'\n');
    ASSERT_EQ(lines.size(), 3) << form.Report().toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("次の 2 個のファイルは取り込めませんでした。"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("bad.jpg：JPEG 画像として読み込めません。")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("e.jpg：ファイル \"") + DateDir +
                                    QStringLiteral("reduce/e.jpg\" を作成できません。")))
        << lines[2].toStdString();
    EXPECT_TRUE(Dialogs.Messages().isEmpty()) << "the window itself shows no box";
}

TEST_F(ImportTest, AFolderThatCannotBeWrittenEndsTheImportAndKeepsWhatCameBefore) {
    const QStringList files{Source(QStringLiteral("a.jpg"), 100, 100),
                            Source(QStringLiteral("b.jpg"), 100, 100),
                            Source(QStringLiteral("c.jpg"), 100, 100)};
    TForm40 form;
    form.PhotoSetting = &Setting;
    form.SaveDir = SaveDir;
    form.PhotoDirList = &DirList;
    form.FileList = files;
    // Once b.jpg is in hand, the thumbnail folder becomes a file: no photo can be finished.
    int previews = 0;
    form.TurboImage2->Picture().OnChange = [&] {
        if (!form.TurboImage2->Picture().IsEmpty() && ++previews == 2) {
            QDir(DateDir + QStringLiteral("thumbnail")).removeRecursively();
            Folder.WriteFile(DateDir.mid(Folder.Path().size()) + QStringLiteral("thumbnail"), "x");
        }
    };
    form.exec();
    EXPECT_EQ(previews, 2) << "c.jpg was not tried";
    EXPECT_TRUE(QFileInfo::exists(DateDir + QStringLiteral("a.jpg")));
    EXPECT_FALSE(QFileInfo::exists(DateDir + QStringLiteral("b.jpg")));
    EXPECT_EQ(Listed(QStringLiteral("reduce")), QStringList{"a.jpg"});
    EXPECT_EQ(form.Report(),
              QStringLiteral("フォルダ \"") + DateDir +
                  QStringLiteral("thumbnail/\" に書き込めないため、取り込みを中止しました。"
                                 "フォルダではありません。\n"
                                 "残りの 2 個のファイルは取り込まれていません。"));
    EXPECT_EQ(DirNames(), QStringList{form.DateDirName});
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

    // A batch with a damaged file among good ones: the others are imported and shown, and one
    // box names the file that was not.
    Dialogs.ChooseFilesNext({Source(QStringLiteral("b.jpg"), 100, 100),
                             Folder.WriteFile(QStringLiteral("in/empty.jpg"), QByteArray()),
                             CutShort(QStringLiteral("c.jpg"))});
    Dialogs.RunModalNext();
    QTest::mouseClick(form.BitBtn5, Qt::LeftButton);
    EXPECT_EQ(form.ComboBox1->currentText(),
              FormatFolderCaption(form.Album->PhotoDirList().Items(0)->Name));
    EXPECT_EQ(form.Album->PhotoList().Count(), 3);
    ASSERT_EQ(Dialogs.Messages().size(), 1);
    EXPECT_TRUE(Dialogs.MessageTexts().front().startsWith(
        QStringLiteral("次の 1 個のファイルは取り込めませんでした。\nempty.jpg：")))
        << Dialogs.MessageTexts().front().toStdString();
}

}  // namespace
