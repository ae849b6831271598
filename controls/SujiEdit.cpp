#include "controls/SujiEdit.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>

#include "platform/Cp932.h"

namespace {

bool IsDigit(char32_t ch) {
    return ch >= U'0' && ch <= U'9';
}

bool IsControlChar(char32_t ch) {
    return ch < 32 || ch == 127;
}

bool IsKana(char32_t ch) {
    return (ch >= 0x3041 && ch <= 0x3096) ||  // hiragana
           (ch >= 0x3099 && ch <= 0x309F) ||  // sound marks and iteration marks
           (ch >= 0x30A0 && ch <= 0x30FF) ||  // katakana, the middle dot and the long vowel mark
           (ch >= 0xFF66 && ch <= 0xFF9F);    // half-width katakana
}

bool IsHalfWidthKana(char32_t ch) {
    return ch >= 0xFF61 && ch <= 0xFF9F;
}

// Focus that leaves for a context menu or another window is no change of control: the box keeps
// its colour and its selection until another control of its window takes the focus.
bool ChangesControl(Qt::FocusReason reason) {
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

// A key with text and no command modifier types a character; Ctrl and Alt combinations are the
// edit's shortcuts (copy, paste, undo) and keep working whatever the typing rules say.
bool TypesCharacter(const QKeyEvent& event) {
    return !event.text().isEmpty() &&
           !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

}  // namespace

TTypedCharAction JudgeTypedChar(char32_t ch, const QString& text, bool wholeTextSelected,
                                const TTypedCharRules& rules) {
    const bool control = IsControlChar(ch);
    if (!rules.ValidValue.isEmpty() && ch != 8 && ch != 27 &&
        !rules.ValidValue.toUcs4().contains(ch)) {
        return TTypedCharAction::Drop;
    }
    // Enter never breaks the line nor beeps.
    if (ch == 13)
        return TTypedCharAction::Drop;
    const bool clearFirst = wholeTextSelected && rules.NumOnly && IsDigit(ch);
    if (rules.MaxLength2 != 0 && !control) {
        const qsizetype length = clearFirst ? 0 : TypedLength(text, rules.LengthIsKeta);
        if (length >= rules.MaxLength2)
            return TTypedCharAction::Drop;
    }
    if (rules.NumOnly && !control && !IsDigit(ch))
        return TTypedCharAction::Drop;
    return clearFirst ? TTypedCharAction::ClearFirst : TTypedCharAction::Insert;
}

qsizetype TypedLength(const QString& text, bool lengthIsKeta) {
    return lengthIsKeta ? text.toUcs4().size() : Cp932::ByteLength(text);
}

bool IsKanaOnly(const QString& text) {
    if (text.isEmpty())
        return false;
    const QList<uint> chars = text.toUcs4();
    return std::all_of(chars.begin(), chars.end(), [](uint ch) { return IsKana(ch); });
}

QString FullWidthKatakana(const QString& kana) {
    // Half-width katakana take their full-width forms; a following half-width sound mark then
    // joins its letter ("ｶﾞ" is "ガ").
    QString wide;
    for (const char32_t ch : kana.toUcs4()) {
        const QString one = QString::fromUcs4(&ch, 1);
        wide += IsHalfWidthKana(ch) ? one.normalized(QString::NormalizationForm_KC) : one;
    }
    wide = wide.normalized(QString::NormalizationForm_C);

    QString katakana;
    for (char32_t ch : wide.toUcs4()) {
        if ((ch >= 0x3041 && ch <= 0x3096) || ch == 0x309D || ch == 0x309E)
            ch += 0x60;
        else if (ch == 0x3099 || ch == 0x309A)  // a sound mark left without its letter
            ch += 2;
        katakana += QString::fromUcs4(&ch, 1);
    }
    return katakana;
}

QString ReadingOfKana(const QString& kana) {
    const QString reading = FullWidthKatakana(kana);
    const QByteArray bytes = Cp932::Encode(reading);
    if (bytes.size() <= Sujiin::ReadingBufferBytes)
        return reading;
    return Cp932::Decode(bytes.left(Cp932::SafePrefixLength(bytes, Sujiin::ReadingBufferBytes)));
}

Sujiin::Sujiin(QWidget* parent) : QLineEdit(parent) {
    SetAlignment(FAlignment);
    SetNumOnly(FRules.NumOnly);
}

void Sujiin::SetAlignment(TAlignment value) {
    FAlignment = value;
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (value == TAlignment::RightJustify)
        horizontal = Qt::AlignRight;
    else if (value == TAlignment::Center)
        horizontal = Qt::AlignHCenter;
    setAlignment(horizontal | Qt::AlignVCenter);
}

void Sujiin::SetNumOnly(bool value) {
    FRules.NumOnly = value;
    setInputMethodHints(value ? inputMethodHints() | Qt::ImhDigitsOnly
                              : inputMethodHints() & ~Qt::ImhDigitsOnly);
}

void Sujiin::SetKanaOut(QLineEdit* value) {
    FKanaOut = value == this ? nullptr : value;
    FReading.clear();
}

void Sujiin::SetImeMode(TImeMode value) {
    FImeMode = value;
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

QVariant Sujiin::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImEnabled && FImeMode == TImeMode::Close)
        return false;
    return QLineEdit::inputMethodQuery(query);
}

void Sujiin::DoKeyDown(int& key, Qt::KeyboardModifiers shift) {
    if (FOnKeyDown)
        FOnKeyDown(this, key, shift);
}

void Sujiin::DoKeyPress(QChar& key) {
    if (FOnKeyPress)
        FOnKeyPress(this, key);
}

void Sujiin::DoEnter() {
    if (FOnEnter)
        FOnEnter(this);
}

void Sujiin::DoExit() {
    if (FOnExit)
        FOnExit(this);
}

void Sujiin::keyPressEvent(QKeyEvent* event) {
    const TMoveResult move = MoveFocusForKey(event->key());
    int key = move == TMoveResult::Moved ? 0 : event->key();
    if (move != TMoveResult::NoForm)
        DoKeyDown(key, event->modifiers());
    if (key == 0) {
        event->accept();
        return;
    }
    if (!TypesCharacter(*event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    TypeKey(event);
}

Sujiin::TMoveResult Sujiin::MoveFocusForKey(int key) {
    QWidget* target = nullptr;
    bool next = true;
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            target = FMoveRetrun;
            break;
        case Qt::Key_Up:
            target = FMoveTopKey;
            next = false;
            break;
        case Qt::Key_Down:
            target = FMoveBottomKey;
            break;
        case Qt::Key_Left: {
            const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
            if (caret != 0)
                return TMoveResult::NotMoved;
            target = FMoveLeftKey;
            next = false;
            break;
        }
        default:
            return TMoveResult::NotMoved;
    }
    if (target && target->isEnabled()) {
        if (!ParentForm())
            return TMoveResult::NoForm;
        target->setFocus(Qt::OtherFocusReason);
        return TMoveResult::Moved;
    }
    if (!FMoveAuto)
        return TMoveResult::NotMoved;
    if (!ParentForm())
        return TMoveResult::NoForm;
    if (QWidget* neighbour = NeighbourInTabOrder(next))
        neighbour->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return TMoveResult::Moved;
}

QWidget* Sujiin::ParentForm() const {
    return isWindow() ? nullptr : window();
}

QWidget* Sujiin::NeighbourInTabOrder(bool next) const {
    const QWidget* form = window();
    // The focus chain is a ring through every widget of the window, so walking it wraps around
    // at the ends by itself.
    QWidget* candidate = const_cast<Sujiin*>(this);
    for (;;) {
        candidate = next ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (!candidate || candidate == this)
            return nullptr;
        if (candidate->window() == form && (candidate->focusPolicy() & Qt::TabFocus) &&
            candidate->isEnabled() && candidate->isVisibleTo(form) && !candidate->focusProxy()) {
            return candidate;
        }
    }
}

void Sujiin::TypeKey(QKeyEvent* event) {
    // A read-only box lets the edit have the key (it types nothing there, and copying works),
    // but neither the typing rules nor the key-press event see it.
    if (isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString typed = event->text();
    const QString accepted = FilterTyped(typed);
    if (accepted == typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (!accepted.isEmpty())
        insert(accepted);
    event->accept();
}

QString Sujiin::FilterTyped(const QString& typed) {
    QString current = text();
    bool wholeTextSelected = selectedText() == current;
    QString accepted;
    for (const char32_t ch : typed.toUcs4()) {
        const TTypedCharAction action = JudgeTypedChar(ch, current, wholeTextSelected, FRules);
        if (action == TTypedCharAction::ClearFirst) {
            clear();
            current.clear();
        }
        QString character = QString::fromUcs4(&ch, 1);
        if (character.size() == 1) {
            QChar key = action == TTypedCharAction::Drop ? QChar() : character.front();
            DoKeyPress(key);
            character = key.isNull() ? QString() : QString(key);
        } else if (action == TTypedCharAction::Drop) {
            character.clear();
        }
        if (character.isEmpty())
            continue;
        accepted += character;
        if (!IsControlChar(ch))
            current += character;
        wholeTextSelected = false;
    }
    return accepted;
}

void Sujiin::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Coming back from a context menu or another window is no new entry; the first focus of a
    // window that is being activated is.
    if (FEntered)
        return;
    FEntered = true;
    if (!isReadOnly() && FEnterColChg)
        SetBaseColor(FEnterColor);
    selectAll();
    DoEnter();
}

void Sujiin::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!FEntered || !ChangesControl(event->reason()))
        return;
    FEntered = false;
    if (!isReadOnly() && FEnterColChg)
        RestoreBaseColor();
    DoExit();
}

void Sujiin::SetBaseColor(const QColor& color) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, color);
    setPalette(colours);
}

void Sujiin::RestoreBaseColor() {
    const QPalette platform = QApplication::palette(this);
    QPalette colours = palette();
    for (const QPalette::ColorGroup group :
         {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colours.setBrush(group, QPalette::Base, platform.brush(group, QPalette::Base));
    setPalette(colours);
}

void Sujiin::inputMethodEvent(QInputMethodEvent* event) {
    if (FKanaOut)
        CaptureReading(*event);
    const QString commit = event->commitString();
    if (isReadOnly() || commit.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // What the input method confirms is typed text too: the same rules hold for it.
    const QString accepted = FilterTyped(commit);
    if (accepted == commit) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(accepted, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
    event->accept();
}

void Sujiin::CaptureReading(const QInputMethodEvent& event) {
    // Qt reports no reading of a confirmed entry; the reading is the last composition of the
    // entry that still showed kana only, before it was turned into kanji.
    const QString commit = event.commitString();
    const QString preedit = event.preeditString();
    if (!commit.isEmpty()) {
        const QString kana = !FReading.isEmpty()  ? FReading
                             : IsKanaOnly(commit) ? commit
                                                  : QString();
        if (!kana.isEmpty())
            FKanaOut->setText(FKanaOut->text() + ReadingOfKana(kana));
        FReading.clear();
    } else if (preedit.isEmpty()) {
        FReading.clear();  // the composition ended without a result
    }
    if (IsKanaOnly(preedit))
        FReading = preedit;
}
