#pragma once

#include <QAbstractSpinBox>
#include <QString>
#include <limits>
#include <optional>
#include <string>

class QLineEdit;

// The integer of a dialog's text box as the framework reads it: optional blanks, an optional sign,
// decimal digits, optional blanks, and nothing else; a value beyond 32 bits is no integer either.
std::optional<int> ParseDialogInteger(const QString& text);

// The range of values a field accepts when its dialog is confirmed.
struct IntegerRange {
    int minimum;
    int maximum;
};

// An integer box with spin arrows, as the dialogs' edit boxes with an up-down buddy: the line takes any
// text (a wrong one is refused only when the dialog is confirmed, so that the author sees what he typed
// and why it was refused), while the arrows and the Up and Down keys step the value inside the spin's
// range.
class DialogIntegerField : public QAbstractSpinBox {
    Q_OBJECT
  public:
    explicit DialogIntegerField(QWidget* parent = nullptr);

    // Where the arrows stop. Without a call they step through every 32-bit value.
    void SetSpinRange(int minimum, int maximum);
    int SpinMinimum() const { return spinMinimum_; }
    int SpinMaximum() const { return spinMaximum_; }
    // A plain edit box without a buddy: neither arrows nor the Up and Down keys change it.
    void HideArrows();

    void SetValue(int value);
    // The integer typed, or nothing when the text is not one.
    std::optional<int> Value() const;
    QLineEdit* Edit() const { return lineEdit(); }

    void stepBy(int steps) override;

  protected:
    StepEnabled stepEnabled() const override;

  private:
    int spinMinimum_ = std::numeric_limits<int>::min();
    int spinMaximum_ = std::numeric_limits<int>::max();
};

// A new box showing `value`, its arrows stepping inside `spin` when one is given.
DialogIntegerField* MakeIntegerField(QWidget* parent, int value, std::optional<IntegerRange> spin = {});

// A field that OK cannot store, and what the author is told about it.
struct FieldRefusal {
    QWidget* field;
    std::string message;
};

// Why a field being confirmed cannot be stored: "Please enter an integer." or, outside `range`, "Please
// enter an integer between MIN and MAX."; nothing when it holds an acceptable integer.
std::optional<FieldRefusal> IntegerRefusal(DialogIntegerField& field, std::optional<IntegerRange> range = {});

// Shows the message through the platform's message box and gives the field the focus with its text
// selected, so that the dialog stays open on it and the author corrects it there. The field's page must
// be showing.
void Refuse(const FieldRefusal& refusal);

// Reads a field of a dialog being confirmed, as the framework's exchange does: the integer, or nothing
// after the field has been refused.
std::optional<int> ReadDialogInteger(DialogIntegerField& field, std::optional<IntegerRange> range = {});
