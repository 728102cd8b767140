#pragma once
// Texts of the records are kept in the 8-bit code page of the registry file
// and the log (Windows-1252); on screen they are Unicode.
#include <QString>
#include <string>

#include "platform/FileNames.h"
#include "core/Printf.h"

inline std::string ToRecordText(const QString& text, std::size_t fieldSize) {
    return CutToField(FileNames::ToCp1252(text), fieldSize);
}

inline QString FromRecordText(const std::string& text) {
    return FileNames::FromCp1252(text);
}
