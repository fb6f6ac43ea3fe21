#include "install/SelfDeleteBatch.h"

#include "config/Text.h"

namespace setup {

namespace {

std::u16string Escaped(const std::u16string& path) {
    std::u16string out;
    for (char16_t c : path) {
        out += c;
        if (c == u'%') out += u'%';
    }
    return out;
}

}  // namespace

std::u16string SelfDeleteBatchText(const std::u16string& program, const std::u16string& batch) {
    return SelfDeleteBatchText(std::vector<std::u16string>{program}, {}, batch);
}

std::u16string SelfDeleteBatchText(const std::vector<std::u16string>& files, const std::vector<std::u16string>& folders,
                                   const std::u16string& batch) {
    const auto quoted = [](const std::u16string& path) { return u"\"" + Escaped(path) + u"\""; };
    const std::u16string b = quoted(batch);
    std::u16string text;
    text += u"@echo off\r\n";
    text += u"set /a qvtries=0\r\n";
    text += u":Repeat\r\n";
    for (const std::u16string& file : files) text += u"del /f /q " + quoted(file) + u" >nul 2>nul\r\n";
    for (const std::u16string& file : files) text += u"if exist " + quoted(file) + u" goto Again\r\n";
    text += u"goto Done\r\n";
    text += u":Again\r\n";
    text += u"set /a qvtries+=1\r\n";
    text += u"if %qvtries% geq " + DecimalText(kSelfDeleteTries) + u" goto Done\r\n";
    // About a second between tries, without a console wait the hidden window could not answer.
    text += u"ping -n 2 127.0.0.1 >nul 2>nul\r\n";
    text += u"goto Repeat\r\n";
    text += u":Done\r\n";
    for (const std::u16string& folder : folders) text += u"rmdir " + quoted(folder) + u" >nul 2>nul\r\n";
    text += u"del /f /q " + b + u" >nul 2>nul";
    return text;
}

}  // namespace setup
