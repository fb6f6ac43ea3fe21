#pragma once
// "About Tracelorn" (template 136): the name and version, the statistics since installation, the
// animated emblem, a picture and three links (program page, maker's page, support mail) that the
// shell opens in the browser or the mail client.
#include "dialogs/DlgAboutIds.h"
#include "skin/MyButton.h"
#include "skin/MyDialog.h"
#include "skin/MyStatic.h"

#include <functional>
#include <string>

class TargetCatalog;

class CDlgAbout : public CMyDialog {
public:
    // Opens an address with the shell's default handler (browser, mail client).
    using AddressOpener = std::function<void(HWND owner, const std::string& address)>;
    static constexpr const char* kHomePage = "http://www.quorvane.com/tracelorn/";
    static constexpr const char* kMakerPage = "http://www.quorvane.com/";
    static constexpr const char* kSupportMail = "mailto:support@quorvane.com";

    explicit CDlgAbout(const TargetCatalog& catalog, AddressOpener open = {});
    ~CDlgAbout() override;

    // The open About dialog, or none.
    static CDlgAbout* OpenDialog();
    static bool BringOpenToFront();
    static void OpenWithShell(HWND owner, const std::string& address);

    unsigned Ticks() const { return ticks_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    void PaintContent(HDC dc, const RECT& client) override;

private:
    const TargetCatalog& catalog_;
    AddressOpener open_;
    CMyStdButton ok_;
    CLinkButton home_, maker_, mail_;
    CMyStatic name_, statistics_;
    GdiBitmap picture_;
    unsigned ticks_ = 0;
};
