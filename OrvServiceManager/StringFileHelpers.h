// Small helpers on standard strings, streams and files.
#pragma once
#include <windows.h>
#include <istream>
#include <string>

// Joins with one separator between the parts and turns every '/' into '\'.
std::string JoinPaths(const std::string& first, const std::string& second);
std::string ToBackslashes(const std::string& text);
std::string ToForwardSlashes(const std::string& text);
// Forward slashes when the flag is TRUE, else backslashes.
std::string ConvertSeparators(const std::string& text, BOOL forward);

// The stream's whole content from its start; throws Exception.
std::string ReadStreamToString(std::istream& stream);
// The standard CRC-32 of the stream's whole content; throws Exception.
unsigned int GetStreamCrc32(std::istream& stream);

// A path "tmp<number>.<extension>" in the folder that does not exist yet; nothing is created.
std::string MakeUniqueTempPath(const std::string& folder, const std::string& extension);
BOOL FileExists(const std::string& path);
void RemoveFile(const std::string& path);

// The file's whole content; throws Exception.
std::string ReadFileToString(const std::string& path);
// Creates or truncates the file and writes the text with each line feed as CR LF; FALSE when
// that failed.
BOOL WriteStringToFile(const std::string& text, const std::string& path);

// The default for an empty text; a positive number, or 0 written as "0"; anything else throws
// Exception "Error in function ToInt.".
int ToInt(const std::string& text, int defaultValue);
std::string IntToString(int value);
