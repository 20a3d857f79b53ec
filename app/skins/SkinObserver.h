#pragma once
// The process-wide observer of skin changes; the main window is its receiver.
#include "app/skins/Observer.h"
#include "app/skins/SkinChangedParam.h"

using SkinObserver = ObserverImpl<int, SkinChangedParam>;
using SkinReceiver = ReceiverImpl<int, SkinChangedParam>;

// Created on first use; UI thread only.
SkinObserver& TheSkinObserver();
