#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace hanlabel {

// How the printer reads the value a job puts into the field of one layout line: the jobs ask it
// before composing, the list asks it for every row, the member position dialog for its note.
//
//     if (auto refusal = RefuseBarcodeValue({layout[3], layout[4]}, {{"일련번호(Text2)", "Text2", serial}},
//                                           NonAscii::Accepted))
//         ... refusal->message, focus on refusal->box

// The symbology of a layout line's field: the first "^BC" or "^B3" in it.
enum class LayoutBarcode { None, Code128, Code39 };

struct LayoutBarcodeInfo {
    LayoutBarcode kind = LayoutBarcode::None;
    bool printsLine = false; // the interpretation line is printed (the "f" parameter, Y by default)
};

LayoutBarcodeInfo ReadLayoutBarcode(const QString& layoutLine);

// One box whose text goes into the field.
struct ValueBox {
    QString caption;    // as the operator knows it: "일련번호(Text2)"
    QString objectName; // the control to focus
    QString text;
};

// Whether characters outside ASCII may go into a barcode field.
enum class NonAscii {
    Accepted, // the book serial: code page 949 bytes go into the symbol as they always did
    Refused,  // the member number: a barcode of it could not carry the character
};

struct BarcodeValueRefusal {
    QString box;     // the objectName of the box to correct
    QString message; // for the operator, naming the box
};

// A ">" in a value going into a "^BC" field is read by the printer as a Code 128 invocation, so
// the barcode would hold another value; with NonAscii::Refused, a character outside ASCII in a
// "^BC" or "^B3" field cannot be carried. The boxes' texts go into the fields of every given
// layout line. Returns the first such refusal, else nothing.
std::optional<BarcodeValueRefusal> RefuseBarcodeValue(const QStringList& layoutLines,
                                                      const QList<ValueBox>& boxes, NonAscii nonAscii);

} // namespace hanlabel
