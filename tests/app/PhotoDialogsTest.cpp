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
#include "tests/support/ScriptedDialogs.h"

using namespace PhotoFixture;

namespace {

TEST(PhotoDialogs, DeleteDialogSaysYesOnlyByItsYesButton) {
    TPhoto photo;
    QImage thumbnail(98, 130, QImage::Format_RGB32);
    thumbnail.fill(Qt::green);
    photo.Thumbnail = TBitmap::FromImage(thumbnail);
    const struct {
        const char* Name;
        std::function<void(TForm37&)> Script;
        int Result;
    } cases[] = {
        {"はい", [](TForm37& d) { d.Button1->click(); }, TForm37::mrYes},
        {"いいえ", [](TForm37& d) { d.Button2->click(); }, TForm37::mrCancel},
        {"frame", [](TForm37& d) { d.close(); }, TForm37::mrCancel},
        {"Enter is no answer",
         [](TForm37& d) {
             QTest::keyClick(&d, Qt::Key_Return);
             d.Button2->click();
         },
         TForm37::mrCancel},
    };
    for (const auto& c : cases) {
        TForm37 dialog;
        dialog.Photo = &photo;
        QSize shown;
        const auto run = Drive<TForm37>([&](TForm37& d) {
            shown = d.TurboImage2->Picture().Size();
            c.Script(d);
        });
        EXPECT_EQ(run(dialog), c.Result) << c.Name;
        EXPECT_EQ(shown, QSize(98, 130)) << c.Name;
    }
}

TEST(PhotoDialogs, TagDialogEditsOnlyOnOk) {
    TTagList names;
    for (const char* name : {"トマト", "ナス", ""}) {
        auto tag = std::make_unique<TTag>();
        tag->Name = QString::fromUtf8(name);
        names.Add(std::move(tag));
    }
    const struct {
        const char* Name;
        QString Start;
        int Choice;  // -1: none
        int Adds;
        QString Typed;  // replaces the edit's text when not null
        bool Ok;
        QString Expected;
    } cases[] = {
        {"追加 twice on empty", QString(), 0, 2, QString(), true, "トマト,トマト"},
        {"追加 after text", "収穫", 1, 1, QString(), true, "収穫,ナス"},
        {"nothing chosen", "収穫", -1, 1, QString(), true, "収穫"},
        {"empty name", "収穫", 2, 1, QString(), true, "収穫"},
        {"typed as is", "収穫", -1, 0, " a,,b ", true, " a,,b "},
        {"no control characters", "", -1, 0, "a\tb\x01", true, "ab"},
        {"cancel", "収穫", 0, 1, "別", false, "収穫"},
    };
    for (const auto& c : cases) {
        TPhoto photo;
        photo.Tags = c.Start;
        TForm38 dialog;
        dialog.Photo = &photo;
        dialog.TagList = &names;
        QString shown;
        int chosen = 0;
        const auto run = Drive<TForm38>([&](TForm38& d) {
            shown = d.Edit1->text();
            chosen = d.ComboBox1->currentIndex();
            d.ComboBox1->setCurrentIndex(c.Choice);
            for (int i = 0; i < c.Adds; ++i)
                d.Button3->click();
            if (!c.Typed.isNull())
                d.Edit1->setText(c.Typed);
            (c.Ok ? d.Button1 : d.Button2)->click();
        });
        EXPECT_EQ(run(dialog), c.Ok ? TForm38::mrOk : TForm38::mrCancel) << c.Name;
        if (c.Ok) {
            EXPECT_EQ(dialog.TagText, c.Expected) << c.Name;
        }
        EXPECT_EQ(photo.Tags, c.Start) << c.Name << ": the album changes the photo";
        EXPECT_EQ(shown, c.Start) << c.Name;
        EXPECT_EQ(chosen, -1) << c.Name;
        EXPECT_EQ(dialog.ComboBox1->count(), 3) << c.Name;
    }
}

TEST(PhotoDialogs, StorableTagTextDropsWhatTheStoreCannotKeep) {
    const struct {
        QString In, Out;
    } cases[] = {
        {"a\tb\r\nc", "abc"},
        {QString::fromUtf16(u"x\u007f\u0085y"), "xy"},
        {QString::fromUtf16(u"\U0001F345,トマト"), QString::fromUtf16(u"\U0001F345,トマト")},
        {QString(QChar(0xD83C)) + u'a' + QChar(0xDC00), "a"},
        {QString::fromUtf16(u"a\uFFFEb\uFFFF"), "ab"},
        {" a , ,\"b,c\" ", " a , ,\"b,c\" "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StorableTagText(c.In), c.Out) << c.In.toStdString();
}

TEST(PhotoDialogs, TextsStayWholeInsideTheDialogs) {
    TForm37 deleteDialog;
    TForm38 tagDialog;
    for (const QDialog* dialog : std::initializer_list<const QDialog*>{&deleteDialog, &tagDialog}) {
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            EXPECT_TRUE(dialog->rect().contains(label->geometry())) << label->text().toStdString();
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        }
    }
}

}  // namespace
