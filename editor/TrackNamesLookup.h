#pragma once

#include <windows.h>

#include "catalogue/DiscInfo.h"

// The "Look Up" button of the Track Names page: the disc's names from the
// online database, on the user's click only. The request runs on a thread
// of its own; its answer comes back to the page as kLookupAnswer.
const UINT kLookupAnswer = WM_APP + 2;
const UINT_PTR kLookupTimer = 1;

// A click: starts a lookup, or stops the one under way.
void OnLookupClicked(HWND page);
// kLookupAnswer: true when it filled copy in (the page shows it anew).
bool OnLookupAnswer(HWND page, LPARAM answer, DiscInfo* copy);
// WM_TIMER: no answer in time.
void OnLookupTimer(HWND page);
// The disc was reloaded: a lookup under way is dropped, unsent if not yet.
void OnLookupDiscChanged();
// The page goes: a lookup under way is dropped, and its answer with it.
void DropLookup(HWND page);
