#include "OrvServiceManager/StringFileHelpers.h"
#include "classlib/CFile.h"
#include "common/Exception.h"
#include <boost/algorithm/string/replace.hpp>
#include <boost/crc.hpp>
#include <boost/format.hpp>
#include <cstdlib>
#include <filesystem>

namespace {
bool IsSeparator(char c) { return c == '\\' || c == '/'; }
}  // namespace

std::string JoinPaths(const std::string& first, const std::string& second) {
    if (first.empty()) return second;
    const bool firstEnds = IsSeparator(first.back());
    const bool secondStarts = !second.empty() && IsSeparator(second.front());
    std::string joined;
    if (!firstEnds && !secondStarts)
        joined = first + '\\' + second;
    else if (firstEnds && secondStarts)
        joined = first + second.substr(1);
    else
        joined = first + second;
    return ToBackslashes(joined);
}

std::string ToBackslashes(const std::string& text) { return boost::algorithm::replace_all_copy(text, "/", "\\"); }

std::string ToForwardSlashes(const std::string& text) { return boost::algorithm::replace_all_copy(text, "\\", "/"); }

std::string ConvertSeparators(const std::string& text, BOOL forward) {
    return forward ? ToForwardSlashes(text) : ToBackslashes(text);
}

std::string ReadStreamToString(std::istream& stream) {
    try {
        if (!stream.good()) stream.clear();
        stream.seekg(0, std::ios::end);
        const std::streamoff expected = stream.tellg();
        std::string text;
        if (expected > 0) text.reserve(static_cast<size_t>(expected));
        stream.seekg(0, std::ios::beg);
        char c;
        while (stream.get(c)) text += c;
        stream.clear();
        return text;
    } catch (...) {
        throw Exception("Internal error when reading string from a stream.");
    }
}

unsigned int GetStreamCrc32(std::istream& stream) {
    const std::string text = ReadStreamToString(stream);
    boost::crc_32_type crc;
    crc.process_bytes(text.data(), text.size());
    return crc.checksum();
}

std::string MakeUniqueTempPath(const std::string& folder, const std::string& extension) {
    std::string path;
    do {
        const int number = std::rand() * std::rand();
        path = JoinPaths(folder, (boost::format("tmp%1%.%2%") % number % extension).str());
    } while (std::filesystem::exists(std::filesystem::path(path)));
    return path;
}

BOOL FileExists(const std::string& path) { return std::filesystem::exists(std::filesystem::path(path)); }

void RemoveFile(const std::string& path) { std::filesystem::remove(std::filesystem::path(path)); }

std::string ReadFileToString(const std::string& path) {
    try {
        CFile file(path.c_str(), CFile::modeRead | CFile::shareDenyWrite);
        const ULONGLONG length = file.GetLength();
        std::string text(static_cast<size_t>(length), '\0');
        const UINT read = text.empty() ? 0 : file.Read(&text[0], static_cast<UINT>(text.size()));
        text.resize(read);
        return text;
    } catch (const CFileException& e) {
        char reason[256] = "";
        e.GetErrorMessage(reason, sizeof(reason));
        throw Exception((std::string("Failed when reading string from a file. ") + reason).c_str());
    } catch (...) {
        throw Exception("Internal error when reading string from a file.");
    }
}

BOOL WriteStringToFile(const std::string& text, const std::string& path) {
    try {
        CStdioFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText);
        file.WriteString(text.c_str());
        file.Close();
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

int ToInt(const std::string& text, int defaultValue) {
    if (text.empty()) return defaultValue;
    const int value = std::atoi(text.c_str());
    if (value > 0) return value;
    if (value == 0 && text == "0") return 0;
    throw Exception("Error in function ToInt.");
}

std::string IntToString(int value) { return (boost::format("%1%") % value).str(); }
