#pragma once
// The firmware upgrade job of the main window. For each head of the chosen
// sensor (four for a model whose text ends in 'F', else one, at the given
// address and the next three) it connects device 0 to the head, reads the
// running firmware, picks the fitting images from the package, asks before
// rewriting an identical version, writes the images to flash, resets the
// settings where the new firmware needs it and reboots.
//
// It runs on a worker thread and touches no widget: `prompt` delivers the
// window's queued signal_prompt_upgrade, `ask` is a blocking queued call of
// its slot_on_upgrade_prompt (the worker waits for the operator). Every wait
// goes through the installed ui::Sleeper.
#include <QString>
#include <QVariant>

#include <atomic>
#include <functional>

#include "app/upgrade_package.h"

struct UpgradeJobContext {
    // Set while the job runs; cleared by the window at the end or on a
    // failure box. The flash writes' progress callbacks return it.
    std::atomic<bool>* progressActive = nullptr;
    std::function<void(int type, const QVariant& prompt)> prompt;
    std::function<bool(int type, const QVariant& prompt)> ask;
    // The images chosen from the package, kept by the window; called after
    // every parse (failed parses leave no images).
    std::function<void(const zpf::UpgradeChoice&)> keepChoice;
    // The head image's flash address as the window holds it before the job.
    uint32_t headImageAddress = zpf::kDefaultHeadImageAddress;
};

// The prompt types of signal_prompt_upgrade and slot_on_upgrade_prompt.
namespace upgrade_prompt {
constexpr int kBusy = 0;       // show the busy dialog
constexpr int kFailure = -1;   // critical box; the job has ended
constexpr int kQuestion = -2;  // "skip the same version?": true means write
constexpr int kHead = 1;       // head write progress (value: percent)
// 2 and above: controller progress; bits 13..15 of the type name the device
// (0x6000: an integrated sensor). A value above 99 ends the upgrade.
constexpr int kController = 2;
}  // namespace upgrade_prompt

// Waits of the job in milliseconds.
namespace upgrade_waits {
constexpr int kAfterClose = 50;
constexpr int kControllerReboot = 20000;
constexpr int kBeforeSettingsReset = 5000;
constexpr int kBetweenReboots = 100;
}  // namespace upgrade_waits

// The prompt type of the controller's progress for a controller whose
// register 166 reads register166: its low 16 bits (the device bits kept),
// never a type that means something else (below 2).
int controllerProgressType(uint32_t register166);

void firmwareUpgradeWorker(const QString& packagePath, const QString& address, const QString& port,
                           const UpgradeJobContext& context);
