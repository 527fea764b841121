#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <ostream>
#include <vector>

namespace {

template <typename... Args> std::string printed(const char* format, Args... args) {
    const int n = std::snprintf(nullptr, 0, format, args...);
    std::string text(n + 1, '\0');
    std::snprintf(&text[0], text.size(), format, args...);
    text.resize(n);
    return text;
}

// Doubles read like C's %g: six significant digits, no trailing zeros.
std::string shortDouble(double value) {
    return printed("%g", value);
}

void appendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte offsets where each UTF-8 character starts, plus the total size at the end.
std::vector<size_t> charStarts(const std::string& text) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i)
        if (!isContinuationByte(text[i]))
            starts.push_back(i);
    starts.push_back(text.size());
    return starts;
}

// Inclusive [start, end] clamped to [0, count - 1]; false when nothing is left.
bool clampRange(int& start, int& end, int count) {
    start = std::max(start, 0);
    end = std::min(end, count - 1);
    return start <= end;
}

} // namespace

const MString MString::argUnused;

MString::MString(const char* charString) : fText(charString ? charString : "") {}

MString::MString(const char* charString, int charLength)
    : fText(charString && charLength > 0 ? std::string(charString, charLength) : std::string()) {}

MString::MString(const wchar_t* charString) {
    if (!charString)
        return;
    for (; *charString; ++charString)
        appendUtf8(fText, static_cast<unsigned long>(*charString));
}

MString& MString::operator=(const char* other) {
    set(other);
    return *this;
}

MString& MString::operator=(double value) {
    set(value);
    return *this;
}

MString& MString::operator+=(const MString& other) {
    fText += other.fText;
    return *this;
}

MString& MString::operator+=(const char* other) {
    if (other)
        fText += other;
    return *this;
}

MString& MString::operator+=(double other) {
    fText += shortDouble(other);
    return *this;
}

MString& MString::operator+=(int other) {
    fText += std::to_string(other);
    return *this;
}

MString& MString::operator+=(unsigned int other) {
    fText += std::to_string(other);
    return *this;
}

MString& MString::operator+=(float other) {
    return *this += static_cast<double>(other);
}

MString MString::operator+(const MString& other) const {
    return MString(*this) += other;
}
MString MString::operator+(const char* other) const {
    return MString(*this) += other;
}
MString MString::operator+(double value) const {
    return MString(*this) += value;
}
MString MString::operator+(int value) const {
    return MString(*this) += value;
}
MString MString::operator+(unsigned int value) const {
    return MString(*this) += value;
}
MString MString::operator+(float value) const {
    return MString(*this) += value;
}

bool MString::operator==(const char* other) const {
    return fText == (other ? other : "");
}

MStatus MString::set(const char* charString) {
    fText = charString ? charString : "";
    return MS::kSuccess;
}

MStatus MString::set(double value) {
    fText = shortDouble(value);
    return MS::kSuccess;
}

MStatus MString::set(double value, int precision) {
    if (precision < 0)
        return MS::kInvalidParameter;
    fText = printed("%.*f", precision, value);
    return MS::kSuccess;
}

double MString::asDouble() const {
    return std::strtod(fText.c_str(), nullptr);
}
int MString::asInt() const {
    return static_cast<int>(std::strtol(fText.c_str(), nullptr, 10));
}
unsigned int MString::asUnsigned() const {
    return static_cast<unsigned int>(std::strtoul(fText.c_str(), nullptr, 10));
}
float MString::asFloat() const {
    return static_cast<float>(asDouble());
}

unsigned int MString::numChars() const {
    return static_cast<unsigned int>(
        std::count_if(fText.begin(), fText.end(), [](char c) { return !isContinuationByte(c); }));
}

MStatus MString::clear() {
    fText.clear();
    return MS::kSuccess;
}

MString MString::toLowerCase() const {
    MString result(*this);
    for (char& c : result.fText)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

MString MString::toUpperCase() const {
    MString result(*this);
    for (char& c : result.fText)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

int MString::index(char c) const {
    const size_t found = fText.find(c);
    return found == std::string::npos ? -1 : static_cast<int>(found);
}

int MString::rindex(char c) const {
    const size_t found = fText.rfind(c);
    return found == std::string::npos ? -1 : static_cast<int>(found);
}

int MString::indexW(char c) const {
    const int byteIndex = index(c);
    if (byteIndex < 0)
        return -1;
    return static_cast<int>(std::count_if(fText.begin(), fText.begin() + byteIndex,
                                          [](char b) { return !isContinuationByte(b); }));
}

MString MString::substring(int start, int end) const {
    if (!clampRange(start, end, static_cast<int>(fText.size())))
        return MString();
    return MString(fText.data() + start, end - start + 1);
}

MString MString::substringW(int start, int end) const {
    const std::vector<size_t> starts = charStarts(fText);
    if (!clampRange(start, end, static_cast<int>(starts.size()) - 1))
        return MString();
    return MString(fText.data() + starts[start], static_cast<int>(starts[end + 1] - starts[start]));
}

// Empty pieces (leading, trailing or repeated delimiters) are dropped, as MEL's tokenize does.
MStatus MString::split(char delimiter, MStringArray& output) const {
    output.clear();
    size_t begin = 0;
    while (begin <= fText.size()) {
        size_t end = fText.find(delimiter, begin);
        if (end == std::string::npos)
            end = fText.size();
        if (end > begin)
            output.append(MString(fText.data() + begin, static_cast<int>(end - begin)));
        begin = end + 1;
    }
    return MS::kSuccess;
}

namespace {

// Replaces each "^Ns" (N from 1) by args[N - 1]. A marker naming a missing argument is kept as written
// and makes the result kInvalidParameter; any other '^' is plain text.
MStatus substitute(const std::string& fmt, const std::vector<const MString*>& args, MString& out) {
    MStatus status;
    std::string text;
    size_t i = 0;
    while (i < fmt.size()) {
        if (fmt[i] == '^') {
            size_t j = i + 1;
            while (j < fmt.size() && std::isdigit(static_cast<unsigned char>(fmt[j])))
                ++j;
            if (j > i + 1 && j < fmt.size() && fmt[j] == 's') {
                const std::string digits = fmt.substr(i + 1, j - i - 1);
                const unsigned long n = digits.size() > 9 ? 0 : std::strtoul(digits.c_str(), nullptr, 10);
                if (n >= 1 && n <= args.size() && args[n - 1]) {
                    text += args[n - 1]->asChar();
                } else {
                    text.append(fmt, i, j + 1 - i);
                    status = MS::kInvalidParameter;
                }
                i = j + 1;
                continue;
            }
        }
        text += fmt[i++];
    }
    out = MString(text.data(), static_cast<int>(text.size()));
    return status;
}

} // namespace

MStatus MString::format(const MString& fmt, const MString& arg1, const MString& arg2, const MString& arg3,
                        const MString& arg4, const MString& arg5, const MString& arg6, const MString& arg7,
                        const MString& arg8, const MString& arg9, const MString& arg10) {
    std::vector<const MString*> args;
    for (const MString* arg : {&arg1, &arg2, &arg3, &arg4, &arg5, &arg6, &arg7, &arg8, &arg9, &arg10})
        args.push_back(arg == &argUnused ? nullptr : arg);
    return substitute(fmt.fText, args, *this);
}

MStatus MString::format(const MString& fmt, const MStringArray& args) {
    std::vector<const MString*> pointers;
    for (const MString& arg : args)
        pointers.push_back(&arg);
    return substitute(fmt.fText, pointers, *this);
}

MString operator+(const char* lhs, const MString& rhs) {
    return MString(lhs) += rhs;
}

std::ostream& operator<<(std::ostream& os, const MString& text) {
    return os << text.asChar();
}
