#pragma once
// The colours of the skinned dialogs and controls, in one place so every window agrees.
#include <windows.h>

namespace palette {
// Dialogs.
constexpr COLORREF kLight = RGB(240, 240, 255);        // body, frame captions, link icon area
constexpr COLORREF kList = RGB(220, 220, 255);         // result list, empty progress
constexpr COLORREF kBorder = RGB(100, 100, 100);       // 3 px dialog outline
constexpr COLORREF kInnerPanel = RGB(0, 60, 116);      // 1 px inner panel
constexpr COLORREF kControlFrame = RGB(100, 100, 150); // 1 px frames, progress border
constexpr COLORREF kEdge = RGB(135, 130, 160);         // edge gradient at the border
constexpr COLORREF kTitleActive = RGB(40, 40, 50);
constexpr COLORREF kTitleInactive = RGB(90, 90, 90);
constexpr COLORREF kText = RGB(30, 30, 30);

// Push buttons.
constexpr COLORREF kButtonTop = RGB(255, 255, 255);
constexpr COLORREF kButtonBottom = RGB(230, 230, 230);
constexpr COLORREF kButtonPressedTop = RGB(220, 220, 220);
constexpr COLORREF kButtonPressedBottom = RGB(240, 240, 240);
constexpr COLORREF kButtonOutline = RGB(0, 70, 130);
constexpr COLORREF kButtonOutlineDisabled = RGB(150, 150, 150);
constexpr COLORREF kButtonHoverRing = RGB(150, 150, 180);
constexpr COLORREF kButtonFocusRing = RGB(140, 175, 235);
constexpr COLORREF kButtonText = RGB(40, 40, 70);
constexpr COLORREF kButtonTextDisabled = RGB(150, 150, 150);
constexpr COLORREF kTabTextCurrent = RGB(255, 255, 255);  // the selected tab button's caption

// Check boxes and links.
constexpr COLORREF kCheckText = RGB(0, 0, 0);
constexpr COLORREF kCheckTextHover = RGB(40, 40, 40);
constexpr COLORREF kLink = RGB(0, 0, 255);
constexpr COLORREF kLinkHover = RGB(128, 0, 128);
constexpr COLORREF kIconShadow = RGB(150, 150, 150);

// Progress bar.
constexpr COLORREF kProgressLeft = RGB(100, 100, 255);
constexpr COLORREF kProgressRight = RGB(100, 200, 255);

// Tray menu.
constexpr COLORREF kMenuStripeLeft = kEdge;            // gradient stripe behind the item bitmaps
constexpr COLORREF kMenuStripeRight = kLight;
constexpr COLORREF kMenuBackground = kLight;
constexpr COLORREF kMenuSelected = RGB(150, 150, 210);
constexpr COLORREF kMenuSeparator = RGB(180, 180, 200);
constexpr COLORREF kMenuIconShadow = RGB(100, 100, 100);
constexpr COLORREF kMenuText = RGB(0, 0, 0);
constexpr COLORREF kMenuTextShadow = RGB(110, 110, 110);

// Result list.
constexpr COLORREF kListSelected = RGB(200, 200, 255);
constexpr COLORREF kLinePlain = RGB(80, 80, 80);
constexpr COLORREF kLineHighlighted = RGB(180, 80, 80);
constexpr COLORREF kLineHeading = RGB(20, 20, 20);
constexpr COLORREF kHeadingRule = RGB(100, 100, 100);
constexpr COLORREF kTargetBand = RGB(180, 180, 230);
constexpr COLORREF kTargetName = RGB(160, 50, 50);
constexpr COLORREF kTargetRule = RGB(100, 100, 120);
constexpr COLORREF kValue = RGB(190, 50, 50);
constexpr COLORREF kSummaryText = RGB(30, 30, 30);
}  // namespace palette
