#pragma once
// The "Cookies to Keep" page of the Options dialog (template 153): every site that has cookies in
// any browser, and every site on the keep-list, with a tick per site (ticked: kept) and a search
// field that narrows the list as the user types. The page opens at once with the kept sites; the
// sites that have cookies are read from the browsers' databases on a thread of its own and join the
// list when they are known. "Add..." takes a site typed by hand. Ticks and added sites change the
// page only; OK writes them into the keep-list, Cancel forgets them. The sites the administrator's
// policy keeps are ticked and greyed.
#include "dialogs/DlgCookiesToKeepIds.h"
#include "dialogs/DlgCookiesToKeepList.h"
#include "dialogs/DlgCookiesToKeepRows.h"
#include "dialogs/OptionsPage.h"
#include "skin/MyButton.h"
#include "skin/MyDialog.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class TargetCatalog;

class CDlgCookiesToKeep : public COptionsPage {
public:
    // Lists the sites that have cookies; runs on the page's own thread and should end soon once
    // `stop` is set. The default reads every browser profile of this user.
    using SiteLister = std::function<std::vector<std::string>(const std::atomic<bool>& stop)>;
    CDlgCookiesToKeep(TargetCatalog& catalog, SiteLister lister = {});
    ~CDlgCookiesToKeep() override;

    static std::vector<std::string> ListThisUser(const std::atomic<bool>& stop);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnDestroy() override;
    void Apply() override;

private:
    void StartListing();
    void TakeListed();
    void StopListing();
    void Refill();
    void UpdateStatus();
    void AddTyped();
    void AddTip();
    std::string TipText() const;

    TargetCatalog& catalog_;
    SiteLister lister_;
    std::unique_ptr<KeepListRows> rows_;
    CKeepSiteList list_;
    CMyStdButton add_;
    size_t shown_ = 0;
    std::wstring tip_;  // the text handed to the tooltip, alive while it shows

    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::optional<std::vector<std::string>> listed_;  // what the worker found, until the page takes it
    bool listing_ = false;
};

// "Add a Site to Keep" (template 154): one site typed by hand. OK takes only a host name, in the
// stored form; anything else gets a message and the dialog stays open.
class CDlgAddSite : public CMyDialog {
public:
    CDlgAddSite();
    const std::string& Site() const { return site_; }
    // The message for text that is no site.
    static std::string RefusalOf(const std::string& text);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    std::string site_;
    CMyStdButton ok_, cancel_;
};
