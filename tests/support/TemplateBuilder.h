#pragma once
// Builds dialog templates in memory, in the extended form (as the resource compiler writes
// DIALOGEX) or the classic one, for the tests of the template reader and of pixel layout.
#include <cstdint>
#include <string>
#include <vector>

class TemplateBuilder {
public:
    struct Control {
        uint32_t id;
        int x, y, cx, cy;
        uint16_t classOrdinal;  // 0x0080 button, 0x0082 static, ...
        std::string text;
        uint32_t style;
    };

    // style of the dialog; DS_SETFONT (0x40) is added when a font is given.
    TemplateBuilder(bool extended, uint32_t style, int cx, int cy, int pointSize = 0, std::string face = {})
        : extended_(extended), style_(style | (pointSize ? 0x40u : 0u)), cx_(cx), cy_(cy), pointSize_(pointSize),
          face_(std::move(face)) {}

    void Add(const Control& control) { controls_.push_back(control); }

    std::vector<uint8_t> Build() const {
        std::vector<uint8_t> b;
        if (extended_) {
            Word(b, 1);
            Word(b, 0xFFFF);
            Dword(b, 0);  // help id
            Dword(b, 0);  // extended style
            Dword(b, style_);
        } else {
            Dword(b, style_);
            Dword(b, 0);
        }
        Word(b, static_cast<uint16_t>(controls_.size()));
        Rect(b, 0, 0, cx_, cy_);
        Word(b, 0);  // no menu
        Word(b, 0);  // default class
        Text(b, "Test");
        if (pointSize_) {
            Word(b, static_cast<uint16_t>(pointSize_));
            if (extended_) {
                Word(b, 400);
                b.push_back(0);
                b.push_back(1);
            }
            Text(b, face_);
        }
        for (const Control& c : controls_) {
            while (b.size() % 4) b.push_back(0);
            if (extended_) {
                Dword(b, 0);
                Dword(b, 0);
                Dword(b, c.style);
                Rect(b, c.x, c.y, c.cx, c.cy);
                Dword(b, c.id);
            } else {
                Dword(b, c.style);
                Dword(b, 0);
                Rect(b, c.x, c.y, c.cx, c.cy);
                Word(b, static_cast<uint16_t>(c.id));
            }
            Word(b, 0xFFFF);
            Word(b, c.classOrdinal);
            Text(b, c.text);
            Word(b, 0);  // no creation data
        }
        return b;
    }

private:
    static void Word(std::vector<uint8_t>& b, uint16_t v) {
        b.push_back(static_cast<uint8_t>(v & 0xFF));
        b.push_back(static_cast<uint8_t>(v >> 8));
    }
    static void Dword(std::vector<uint8_t>& b, uint32_t v) {
        Word(b, static_cast<uint16_t>(v & 0xFFFF));
        Word(b, static_cast<uint16_t>(v >> 16));
    }
    static void Rect(std::vector<uint8_t>& b, int x, int y, int cx, int cy) {
        for (int v : {x, y, cx, cy}) Word(b, static_cast<uint16_t>(static_cast<int16_t>(v)));
    }
    static void Text(std::vector<uint8_t>& b, const std::string& s) {
        for (char ch : s) Word(b, static_cast<uint8_t>(ch));
        Word(b, 0);
    }

    bool extended_;
    uint32_t style_;
    int cx_, cy_, pointSize_;
    std::string face_;
    std::vector<Control> controls_;
};
