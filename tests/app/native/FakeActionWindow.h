#pragma once
// A main window for driver tests: it records every line, balloon and form change, and carries out
// "window thread" work under one lock, as the real window's message queue would serialise it.
#include "app/ActionDriver.h"
#include "app/ActionWindow.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct Balloon {
    std::string text, title;
    uint32_t timeout = 0;
};

class FakeActionWindow : public ActionWindow {
public:
    void SetDriver(ActionDriver* driver) { driver_ = driver; }

    void ClearResultLines() override { Lock l(m_); lines.clear(); }
    void AddResultLine(const ResultLine& line) override {
        std::function<void(const ResultLine&)> hook;
        {
            Lock l(m_);
            lines.push_back(line);
            history.push_back(line);
            hook = onLine;
        }
        if (hook) hook(line);
    }
    void DeleteLastResultLine() override {
        Lock l(m_);
        if (!lines.empty()) lines.pop_back();
    }
    void RepaintResultList() override {}
    bool IsShown() override { return shown; }
    void ShowBalloon(const std::string& text, const std::string& title, uint32_t timeoutMs) override {
        Lock l(m_);
        balloons.push_back({text, title, timeoutMs});
    }
    void ShowRunningForm(const std::string& caption, int range) override {
        Lock l(m_);
        stopCaption = caption;
        progressRange = range;
        progress = 0;
        running = true;
    }
    void StepProgress() override { Lock l(m_); ++progress; }
    void ShowIdleForm() override {
        Lock l(m_);
        running = false;
        ++idleForms;
        stateAtIdleForm = driver_ ? driver_->RunState() : -1;
    }
    void Repaint() override {}
    void PlayEndSound() override { Lock l(m_); ++endSounds; }
    void RunOnWindowThread(const std::function<void()>& work) override { Lock l(m_); work(); }
    void SendRunStopped() override {
        Lock l(m_);
        ++stoppedMessages;
        if (driver_) driver_->OnRunStopped();
    }

    std::vector<ResultLine> lines;    // what the list shows
    std::vector<ResultLine> history;  // every line ever added, provisional ones included
    std::vector<Balloon> balloons;
    std::string stopCaption;
    int progressRange = -1, progress = 0, idleForms = 0, endSounds = 0, stoppedMessages = 0;
    int stateAtIdleForm = -1;
    bool running = false;
    bool shown = true;
    std::function<void(const ResultLine&)> onLine;  // called outside the lock, on the worker

private:
    using Lock = std::lock_guard<std::recursive_mutex>;
    std::recursive_mutex m_;
    ActionDriver* driver_ = nullptr;
};
