#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/Unit37.h"
#include "app/Unit38.h"
#include "imaging/TurboImg.h"
#include "model/KavroUtils.h"
#include "tests/app/PhotoFixture.h"

using namespace PhotoFixture;

namespace {

class PhotoDialogsTest : public ::testing::Test {
protected:
    PhotoDialogsTest() {
        QImage thumbnail(98, 130, QImage::Format_RGB32);
        thumbnail.fill(Qt::green);
        Photo.Thumbnail = TBitmap::FromImage(thumbnail);
        Photo.Tags = QStringLiteral("収穫");
        for (const char* name : {"トマト", "ナス", ""}) {
            auto tag = std::make_unique<TTag>();
            tag->Name = QString::fromUtf8(name);
            Tags.Add(std::move(tag));
        }
    }

    int RunTagDialog(const std::function<void(TForm38&)>& script) {
        TForm38 dialog;
        dialog.Photo = &Photo;
        dialog.TagList = &Tags;
        WhenModal<TForm38>(script);
        return dialog.exec();
    }

    TPhoto Photo;
    TTagList Tags;
};

TEST_F(PhotoDialogsTest, DeleteDialogAnswers) {
    struct TCase {
        const char* Name;
        std::function<void(TForm37&)> Script;
        int Result;
    };
    const TCase cases[] = {
        {"はい", [](TForm37& d) { d.Button1->click(); }, TForm37::mrYes},
        {"いいえ", [](TForm37& d) { d.Button2->click(); }, TForm37::mrCancel},
        {"frame", [](TForm37& d) { d.close(); }, TForm37::mrCancel},
        {"Enter",
         [](TForm37& d) {
             QTest::keyClick(&d, Qt::Key_Return);
             d.Button2->click();
         },
         TForm37::mrCancel},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TForm37 dialog;
        dialog.Photo = &Photo;
        QSize shown;
        WhenModal<TForm37>([&](TForm37& d) {
            shown = d.TurboImage2->Picture().Size();
            c.Script(d);
        });
        EXPECT_EQ(dialog.exec(), c.Result);
        EXPECT_EQ(shown, QSize(98, 130));
    }
}

TEST_F(PhotoDialogsTest, TextsStayWholeInsideTheDialogs) {
    TForm37 deleteDialog;
    TForm38 tagDialog;
    for (const QDialog* dialog : std::initializer_list<const QDialog*>{&deleteDialog, &tagDialog}) {
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            EXPECT_TRUE(dialog->rect().contains(label->geometry()))
                << label->text().toStdString() << " in " << dialog->windowTitle().toStdString();
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        }
    }
}

TEST_F(PhotoDialogsTest, TagDialogShowsTagsAndNamesWithNoneChosen) {
    QString edit;
    QStringList names;
    int chosen = 0;
    RunTagDialog([&](TForm38& d) {
        edit = d.Edit1->text();
        for (int i = 0; i < d.ComboBox1->count(); ++i)
            names.append(d.ComboBox1->itemText(i));
        chosen = d.ComboBox1->currentIndex();
        d.Button2->click();
    });
    EXPECT_EQ(edit, QStringLiteral("収穫"));
    EXPECT_EQ(names, (QStringList{"トマト", "ナス", ""}));
    EXPECT_EQ(chosen, -1);
}

TEST_F(PhotoDialogsTest, AddAppendsTheChosenName) {
    struct TCase {
        const char* Name;
        QString Start;
        int Choice;  // -1: none
        int Presses;
        QString Expected;
    };
    const TCase cases[] = {
        {"twice on empty", QString(), 0, 2, QStringLiteral("トマト,トマト")},
        {"after text", QStringLiteral("収穫"), 1, 1, QStringLiteral("収穫,ナス")},
        {"nothing chosen", QStringLiteral("収穫"), -1, 1, QStringLiteral("収穫")},
        {"empty name", QStringLiteral("収穫"), 2, 1, QStringLiteral("収穫")},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Photo.Tags = c.Start;
        const int result = RunTagDialog([&](TForm38& d) {
            d.ComboBox1->setCurrentIndex(c.Choice);
            for (int i = 0; i < c.Presses; ++i)
                d.Button3->click();
            d.Button1->click();
        });
        EXPECT_EQ(result, TForm38::mrOk);
        EXPECT_EQ(Photo.Tags, c.Expected);
    }
}

TEST_F(PhotoDialogsTest, CancelAndFrameLeaveThePhoto) {
    for (bool byFrame : {false, true}) {
        const int result = RunTagDialog([byFrame](TForm38& d) {
            d.Edit1->setText(QStringLiteral("別の"));
            byFrame ? void(d.close()) : d.Button2->click();
        });
        EXPECT_EQ(result, TForm38::mrCancel);
        EXPECT_EQ(Photo.Tags, QStringLiteral("収穫"));
    }
}

TEST_F(PhotoDialogsTest, OkKeepsTheTextButNoControlCharacter) {
    RunTagDialog([](TForm38& d) {
        d.Edit1->setText(QStringLiteral(" トマト,,トマト\t,収穫\x01"));
        d.Button1->click();
    });
    EXPECT_EQ(Photo.Tags, QStringLiteral(" トマト,,トマト,収穫"));
}

TEST(StorableTagText, DropsWhatTheStoreCannotKeep) {
    const QChar lowAlone(0xDC00);
    const QChar highAlone(0xD83C);
    const struct {
        QString In, Out;
    } cases[] = {
        {QStringLiteral("a\tb\r\nc"), QStringLiteral("abc")},
        {QString::fromUtf16(u"x\u007f\u0085y"), QStringLiteral("xy")},
        {QString::fromUtf16(u"\U0001F345,トマト"), QString::fromUtf16(u"\U0001F345,トマト")},
        {QString(highAlone) + QStringLiteral("a") + lowAlone, QStringLiteral("a")},
        {QString::fromUtf16(u"a\uFFFEb\uFFFF"), QStringLiteral("ab")},
        {QStringLiteral(" a , ,\"b,c\" "), QStringLiteral(" a , ,\"b,c\" ")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StorableTagText(c.In), c.Out) << c.In.toStdString();
}

}  // namespace
