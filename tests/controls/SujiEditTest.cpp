#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>

#include "controls/SujiEdit.h"

namespace {

// A key as the keyboard delivers it: the key code and the text it types.
void Press(QWidget* widget, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

void TypeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text)
        Press(widget, ch.isDigit() ? Qt::Key_0 + ch.digitValue() : Qt::Key_unknown, QString(ch));
}

const QString Backspace = QStringLiteral("\b");
const QString Escape = QStringLiteral("\x1b");

struct TTypingCase {
    const char* Name;
    bool NumOnly;
    QString ValidValue;
    bool LengthIsKeta;
    int MaxLength2;
    QString Start;
    int SelectFrom;  // -1: caret at the end, nothing selected
    int SelectLength;
    QStringList Typed;  // each entry one key's text
    QString Expected;
};

void PrintTo(const TTypingCase& c, std::ostream* out) {
    *out << c.Name;
}

class SujiinTyping : public ::testing::TestWithParam<TTypingCase> {};

TEST_P(SujiinTyping, KeepsOnlyWhatTheRulesLetThrough) {
    const TTypingCase& c = GetParam();
    Sujiin box;
    box.SetNumOnly(c.NumOnly);
    box.SetValidValue(c.ValidValue);
    box.SetLengthIsKeta(c.LengthIsKeta);
    box.SetMaxLength2(c.MaxLength2);
    box.setText(c.Start);
    if (c.SelectFrom >= 0)
        box.setSelection(c.SelectFrom, c.SelectLength);
    else
        box.end(false);
    for (const QString& key : c.Typed) {
        const int code = key == Backspace ? Qt::Key_Backspace
                         : key == Escape  ? Qt::Key_Escape
                                          : Qt::Key_unknown;
        if (code == Qt::Key_unknown)
            TypeText(&box, key);
        else
            Press(&box, code, key);
    }
    EXPECT_EQ(box.text(), c.Expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, SujiinTyping,
    ::testing::Values(
        TTypingCase{"limitRefusesADigit", true, {}, false, 4, "1234", -1, 0, {"5"}, "1234"},
        TTypingCase{"backspaceAtTheLimit", true, {}, false, 4, "1234", -1, 0, {Backspace}, "123"},
        TTypingCase{"digitOverWholeText", true, {}, false, 4, "1234", 0, 4, {"5"}, "5"},
        TTypingCase{"digitOverPartOfText", true, {}, false, 4, "1234", 1, 2, {"5"}, "1234"},
        TTypingCase{"letterOverWholeTextAtLimit", false, {}, false, 4, "abcd", 0, 4, {"e"}, "abcd"},
        TTypingCase{"emptyBoxTakesDigits", true, {}, false, 4, "", -1, 0, {"7", "8"}, "78"},
        TTypingCase{"numOnlyRefusesLetters", true, {}, false, 0, "1", -1, 0, {"a", " ", "2"}, "12"},
        TTypingCase{"validValue", false, "0123456789-", false, 0, "", -1, 0,
                    {"-", "+", "1", Backspace, Escape, "a", "2"}, "-2"},
        TTypingCase{"twoDoubleByteCharactersFillFourBytes", false, {}, false, 4, "", -1, 0,
                    {"あ", "い", "う", "x"}, "あい"},
        TTypingCase{"fourCharactersWithKeta", false, {}, true, 4, "", -1, 0,
                    {"あ", "い", "う", "え", "お"}, "あいうえ"}),
    [](const auto& info) { return std::string(info.param.Name); });
// clang-format on

// A window with the box first in its tab order and three buttons after it.
class SujiinForm : public ::testing::Test {
protected:
    void SetUp() override {
        Box = new Sujiin(&Form);
        Box->setObjectName(QStringLiteral("Box"));
        for (const char* name : {"A", "B", "C"}) {
            auto* button = new QPushButton(QString::fromLatin1(name), &Form);
            button->setObjectName(QString::fromLatin1(name));
            button->setFocusPolicy(Qt::StrongFocus);
            Buttons.append(button);
        }
        Form.show();
        Form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
        Box->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(Box->hasFocus());
    }
    QString FocusName() const {
        const QWidget* focus = QApplication::focusWidget();
        return focus ? focus->objectName() : QString();
    }

    QWidget Form;
    Sujiin* Box = nullptr;
    QList<QPushButton*> Buttons;
};

using TTargetSetter = void (Sujiin::*)(QWidget*);

struct TMoveCase {
    const char* Name;
    int Key;
    int Caret;
    TTargetSetter Setter;  // the property that names a target, or none
    int Target;            // index into A, B, C
    bool TargetDisabled;
    bool MoveAuto;
    QString ExpectedFocus;
    bool KeyConsumed;
};

void PrintTo(const TMoveCase& c, std::ostream* out) {
    *out << c.Name;
}

class SujiinMoves : public SujiinForm, public ::testing::WithParamInterface<TMoveCase> {};

TEST_P(SujiinMoves, MovesTheFocusAsTheKeySays) {
    const TMoveCase& c = GetParam();
    if (c.Setter)
        (Box->*c.Setter)(Buttons[c.Target]);
    Buttons[c.Target]->setEnabled(!c.TargetDisabled);
    Box->SetMoveAuto(c.MoveAuto);
    Box->SetNumOnly(false);
    Box->setText(QStringLiteral("12345"));
    Box->setCursorPosition(c.Caret);
    QList<int> keysSeen;
    QList<QChar> charsSeen;
    Box->SetOnKeyDown([&](Sujiin*, int& key, Qt::KeyboardModifiers) { keysSeen.append(key); });
    Box->SetOnKeyPress([&](Sujiin*, QChar& key) { charsSeen.append(key); });

    const bool enter = c.Key == Qt::Key_Return;
    Press(Box, c.Key, enter ? QStringLiteral("\r") : QString());

    EXPECT_EQ(FocusName(), c.ExpectedFocus);
    EXPECT_EQ(keysSeen, QList<int>{c.KeyConsumed ? 0 : c.Key});
    EXPECT_EQ(Box->text(), QStringLiteral("12345"));
    // Enter reaches the key-press event as no character at all.
    EXPECT_EQ(charsSeen, enter && !c.KeyConsumed ? QList<QChar>{QChar()} : QList<QChar>{});
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, SujiinMoves,
    ::testing::Values(
        TMoveCase{"enterToItsTarget", Qt::Key_Return, 5, &Sujiin::SetMoveRetrun, 1, false, false, "B", true},
        TMoveCase{"enterPastADisabledTargetAlongTheChain", Qt::Key_Return, 5, &Sujiin::SetMoveRetrun, 2, true, true, "A", true},
        TMoveCase{"enterToADisabledTargetWithoutMoveAuto", Qt::Key_Return, 5, &Sujiin::SetMoveRetrun, 2, true, false, "Box", false},
        TMoveCase{"enterNowhere", Qt::Key_Return, 5, nullptr, 0, false, false, "Box", false},
        TMoveCase{"upWrapsBackwards", Qt::Key_Up, 5, nullptr, 0, false, true, "C", true},
        TMoveCase{"upToItsTarget", Qt::Key_Up, 5, &Sujiin::SetMoveTopKey, 1, false, true, "B", true},
        TMoveCase{"downToItsTarget", Qt::Key_Down, 5, &Sujiin::SetMoveBottomKey, 2, false, false, "C", true},
        TMoveCase{"leftAtCaretZero", Qt::Key_Left, 0, &Sujiin::SetMoveLeftKey, 1, false, false, "B", true},
        TMoveCase{"leftAtCaretThree", Qt::Key_Left, 3, &Sujiin::SetMoveLeftKey, 1, false, true, "Box", false},
        TMoveCase{"rightNeverMoves", Qt::Key_Right, 5, &Sujiin::SetMoveRight, 1, false, true, "Box", false}),
    [](const auto& info) { return std::string(info.param.Name); });
// clang-format on

TEST(Sujiin, WithoutAParentWindowKeysGoNowhere) {
    Sujiin box;
    QPushButton other;
    box.SetMoveRetrun(&other);
    box.SetMoveAuto(true);
    int keyDowns = 0;
    box.SetOnKeyDown([&](Sujiin*, int&, Qt::KeyboardModifiers) { ++keyDowns; });
    Press(&box, Qt::Key_Return, QStringLiteral("\r"));
    Press(&box, Qt::Key_Down);
    EXPECT_EQ(keyDowns, 0);
    EXPECT_FALSE(other.hasFocus());
}

struct TColourCase {
    const char* Name;
    bool ReadOnly;
    bool EnterColChg;
    bool ColouredWhileFocused;
};

void PrintTo(const TColourCase& c, std::ostream* out) {
    *out << c.Name;
}

class SujiinColours : public SujiinForm, public ::testing::WithParamInterface<TColourCase> {};

TEST_P(SujiinColours, EnteringAndLeaving) {
    const TColourCase& c = GetParam();
    Buttons[0]->setFocus(Qt::TabFocusReason);
    const QColor window = QApplication::palette(Box).color(QPalette::Base);
    Box->setReadOnly(c.ReadOnly);
    Box->SetEnterColChg(c.EnterColChg);
    Box->setText(QStringLiteral("600"));
    int enters = 0;
    int exits = 0;
    Box->SetOnEnter([&](Sujiin*) { ++enters; });
    Box->SetOnExit([&](Sujiin*) { ++exits; });

    Box->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(Box->palette().color(QPalette::Base),
              c.ColouredWhileFocused ? QColor(255, 255, 0) : window);
    EXPECT_EQ(Box->selectedText(), QStringLiteral("600"));
    Buttons[1]->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Box->palette().color(QPalette::Base), window);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, SujiinColours,
                         ::testing::Values(TColourCase{"defaults", false, true, true},
                                           TColourCase{"readOnly", true, true, false},
                                           TColourCase{"noColourChange", false, false, false}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Sujiin, ReadOnlyBoxLetsNoCharacterThrough) {
    Sujiin box;
    box.setText(QStringLiteral("12"));
    box.setReadOnly(true);
    int keyPresses = 0;
    box.SetOnKeyPress([&](Sujiin*, QChar&) { ++keyPresses; });
    TypeText(&box, QStringLiteral("3"));
    Press(&box, Qt::Key_Backspace, Backspace);
    EXPECT_EQ(box.text(), QStringLiteral("12"));
    EXPECT_EQ(keyPresses, 0);
}

TEST(Sujiin, DefaultsAndKanaOutOfItself) {
    Sujiin box;
    EXPECT_TRUE(box.alignment() & Qt::AlignRight);
    EXPECT_TRUE(box.NumOnly());
    EXPECT_EQ(box.EnterColor(), QColor(255, 255, 0));
    EXPECT_TRUE(box.EnterColChg());
    EXPECT_FALSE(box.inputMethodQuery(Qt::ImEnabled).toBool());
    box.SetImeMode(Sujiin::TImeMode::Open);
    EXPECT_TRUE(box.inputMethodQuery(Qt::ImEnabled).toBool());
    QLineEdit other;
    box.SetKanaOut(&other);
    box.SetKanaOut(&box);
    EXPECT_EQ(box.KanaOut(), nullptr);
}

void Compose(QWidget* box, const QString& preedit) {
    QInputMethodEvent event(preedit, {});
    QApplication::sendEvent(box, &event);
}

void Commit(QWidget* box, const QString& result) {
    QInputMethodEvent event;
    event.setCommitString(result);
    QApplication::sendEvent(box, &event);
}

TEST(SujiinReading, TheKanaOfEachConfirmedEntryReachesKanaOut) {
    Sujiin box;
    box.SetNumOnly(false);
    box.SetImeMode(Sujiin::TImeMode::Open);
    QLineEdit kanaOut;
    box.SetKanaOut(&kanaOut);

    for (const char* preedit : {"h", "は", "はt", "はた", "はたけ", "畑"})
        Compose(&box, QString::fromUtf8(preedit));
    Commit(&box, QStringLiteral("畑"));
    EXPECT_EQ(kanaOut.text(), QStringLiteral("ハタケ"));

    Compose(&box, QStringLiteral("ﾔｻｲ"));
    Compose(&box, QStringLiteral("野菜"));
    Commit(&box, QStringLiteral("野菜"));
    // A composition given up yields nothing; the next entry starts afresh.
    Compose(&box, QStringLiteral("だいこん"));
    Compose(&box, QString());
    Compose(&box, QStringLiteral("abc"));
    Commit(&box, QStringLiteral("abc"));
    EXPECT_EQ(kanaOut.text(), QStringLiteral("ハタケヤサイ"));
    EXPECT_EQ(box.text(), QStringLiteral("畑野菜abc"));
}

TEST(SujiinReading, ConfirmedTextKeepsTheLengthLimit) {
    Sujiin box;
    box.SetNumOnly(false);
    box.SetImeMode(Sujiin::TImeMode::Open);
    box.SetMaxLength2(4);
    Commit(&box, QStringLiteral("畑山川"));
    EXPECT_EQ(box.text(), QStringLiteral("畑山"));
}

TEST(SujiinReading, KanaTurnIntoFullWidthKatakana) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("はたけ"), QStringLiteral("ハタケ")},
        {QStringLiteral("ｶﾞｯｺｳ"), QStringLiteral("ガッコウ")},
        {QStringLiteral("ﾊﾟﾝｰ"), QStringLiteral("パンー")},
        {QStringLiteral("ゔぁゝ"), QStringLiteral("ヴァヽ")},
        {QStringLiteral("ﾞ"), QStringLiteral("゛")},
        {QStringLiteral("ヤサイ"), QStringLiteral("ヤサイ")},
    };
    for (const auto& [kana, katakana] : cases)
        EXPECT_EQ(FullWidthKatakana(kana), katakana) << kana.toStdString();
    EXPECT_TRUE(IsKanaOnly(QStringLiteral("ｶﾞはー")));
    for (const QString& other : {QString(), QStringLiteral("は1"), QStringLiteral("畑")})
        EXPECT_FALSE(IsKanaOnly(other)) << other.toStdString();
}

TEST(SujiinReading, ALongReadingStaysWithinItsBuffer) {
    const QString reading = ReadingOfKana(QString(300, QChar(0x3042)));
    EXPECT_EQ(reading, QString(128, QChar(0x30A2)));
    EXPECT_EQ(ReadingOfKana(QStringLiteral("ｱｲ")), QStringLiteral("アイ"));
}

}  // namespace
