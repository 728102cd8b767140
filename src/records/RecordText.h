#pragma once
// Texts of the records are kept in the 8-bit code page of the registry file
// and the log (Latin-1); on screen they are Unicode.
#include <QString>
#include <string>

#include "Printf.h"

inline std::string ToRecordText(const QString& text, std::size_t fieldSize) {
    return CutToField(text.toLatin1().toStdString(), fieldSize);
}

inline QString FromRecordText(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
