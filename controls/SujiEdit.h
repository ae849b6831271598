#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <functional>

class Sujiin;

// Fired after the box's own handling; a key or character set to zero (null) is consumed.
using TKeyDownEvent = std::function<void(Sujiin* sender, int& key, Qt::KeyboardModifiers shift)>;
using TKeyPressEvent = std::function<void(Sujiin* sender, QChar& key)>;
using TNotifyEvent = std::function<void(Sujiin* sender)>;

// What happens to one typed character.
enum class TTypedCharAction {
    Insert,      // goes through
    ClearFirst,  // a digit typed over the whole text: the text is cleared, then it goes through
    Drop,        // refused
};

// The typing rules of a Sujiin, apart from the widget.
struct TTypedCharRules {
    bool NumOnly = true;
    QString ValidValue;
    bool LengthIsKeta = false;
    qint32 MaxLength2 = 0;
};

// Decides a character typed into a box holding text; wholeTextSelected holds also for an empty
// box. The length limit ignores the selection: at the limit a printable character is refused
// even over selected text, except for a digit that replaces the whole text.
TTypedCharAction JudgeTypedChar(char32_t ch, const QString& text, bool wholeTextSelected,
                                const TTypedCharRules& rules);

// The length the limit counts: characters, or code page 932 bytes (two for a double-byte one).
qsizetype TypedLength(const QString& text, bool lengthIsKeta);

// True when the text is not empty and holds only hiragana and katakana, full or half width.
bool IsKanaOnly(const QString& text);
// Hiragana and half-width katakana as full-width katakana ("はﾀｹﾞ" gives "ハタゲ").
QString FullWidthKatakana(const QString& kana);
// The reading that reaches KanaOut: the kana as full-width katakana, cut to whole characters
// within the 256 bytes that the reading may take in code page 932.
QString ReadingOfKana(const QString& kana);

// A one-line box for numbers and short codes: right-aligned and digits-only by default, coloured
// while focused, its text selected on entry, typing limited in length and in characters, Enter
// and the arrow keys moving the focus to named neighbours, and the reading of what the user
// confirms in the input method copied into another box.
class Sujiin : public QLineEdit {
    Q_OBJECT
public:
    enum class TAlignment { LeftJustify, RightJustify, Center };
    // Whether the input method may be used; closed, as number boxes want it, by default.
    enum class TImeMode { Close, Open };

    static constexpr int ReadingBufferBytes = 256;

    explicit Sujiin(QWidget* parent = nullptr);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& value) { FCaption = value; }
    bool Essential() const { return FEssential; }
    void SetEssential(bool value) { FEssential = value; }
    bool NumOnly() const { return FRules.NumOnly; }
    void SetNumOnly(bool value);
    QColor EnterColor() const { return FEnterColor; }
    void SetEnterColor(const QColor& value) { FEnterColor = value; }
    bool EnterColChg() const { return FEnterColChg; }
    void SetEnterColChg(bool value) { FEnterColChg = value; }
    const QString& ValidValue() const { return FRules.ValidValue; }
    void SetValidValue(const QString& value) { FRules.ValidValue = value; }
    bool LengthIsKeta() const { return FRules.LengthIsKeta; }
    void SetLengthIsKeta(bool value) { FRules.LengthIsKeta = value; }
    qint32 MaxLength2() const { return FRules.MaxLength2; }
    void SetMaxLength2(qint32 value) { FRules.MaxLength2 = value; }
    qint32 MinLength() const { return FMinLength; }
    void SetMinLength(qint32 value) { FMinLength = value; }
    QLineEdit* KanaOut() const { return FKanaOut; }
    // The box itself is no place for its own reading: it reads back as none.
    void SetKanaOut(QLineEdit* value);
    bool MoveAuto() const { return FMoveAuto; }
    void SetMoveAuto(bool value) { FMoveAuto = value; }
    QWidget* MoveTopKey() const { return FMoveTopKey; }
    void SetMoveTopKey(QWidget* value) { FMoveTopKey = value; }
    QWidget* MoveBottomKey() const { return FMoveBottomKey; }
    void SetMoveBottomKey(QWidget* value) { FMoveBottomKey = value; }
    QWidget* MoveLeftKey() const { return FMoveLeftKey; }
    void SetMoveLeftKey(QWidget* value) { FMoveLeftKey = value; }
    // Kept with the box; the Right key is always left to the edit's own handling.
    QWidget* MoveRight() const { return FMoveRight; }
    void SetMoveRight(QWidget* value) { FMoveRight = value; }
    QWidget* MoveRetrun() const { return FMoveRetrun; }
    void SetMoveRetrun(QWidget* value) { FMoveRetrun = value; }
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode value);

    void SetOnKeyDown(TKeyDownEvent handler) { FOnKeyDown = std::move(handler); }
    void SetOnKeyPress(TKeyPressEvent handler) { FOnKeyPress = std::move(handler); }
    void SetOnEnter(TNotifyEvent handler) { FOnEnter = std::move(handler); }
    void SetOnExit(TNotifyEvent handler) { FOnExit = std::move(handler); }

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    virtual void DoKeyDown(int& key, Qt::KeyboardModifiers shift);
    virtual void DoKeyPress(QChar& key);
    virtual void DoEnter();
    virtual void DoExit();

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    enum class TMoveResult { NotMoved, Moved, NoForm };

    TMoveResult MoveFocusForKey(int key);
    QWidget* ParentForm() const;
    QWidget* NeighbourInTabOrder(bool next) const;
    // Runs the typing rules and the key-press event over typed text; returns what goes in.
    QString FilterTyped(const QString& typed);
    void TypeKey(QKeyEvent* event);
    void CaptureReading(const QInputMethodEvent& event);
    void SetBaseColor(const QColor& color);
    void RestoreBaseColor();

    TAlignment FAlignment = TAlignment::RightJustify;
    TTypedCharRules FRules;
    QString FCaption;
    bool FEssential = false;
    QColor FEnterColor = QColor(255, 255, 0);
    bool FEnterColChg = true;
    qint32 FMinLength = 0;
    bool FMoveAuto = false;
    TImeMode FImeMode = TImeMode::Close;
    QPointer<QLineEdit> FKanaOut;
    QPointer<QWidget> FMoveTopKey;
    QPointer<QWidget> FMoveBottomKey;
    QPointer<QWidget> FMoveLeftKey;
    QPointer<QWidget> FMoveRight;
    QPointer<QWidget> FMoveRetrun;
    bool FEntered = false;  // entered and not left for another control of the window
    QString FReading;       // the last all-kana composition of the entry in progress
    TKeyDownEvent FOnKeyDown;
    TKeyPressEvent FOnKeyPress;
    TNotifyEvent FOnEnter;
    TNotifyEvent FOnExit;
};
