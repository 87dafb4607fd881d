#pragma once
// The two small files the product's usage-analytics component reads: the
// "Install" section of the install folder's set.ini and the per-user
// "ZEDarororAvuvadide.ini". Written when the install stage starts and again
// after a successful install; every write failure is ignored.

#include <windows.h>

#include <string>

// %APPDATA% (or, when unreadable, the shared documents folder) joined with
// "NorVoData" and "Lumora".
std::wstring AnalyticsDataDir();

// set.ini [Install]: APPStore, AppName, DeviceID (new at every call), and,
// when the data folder exists or can be created, ZEDarororAvuvadideIni; then
// [Init] UpdateTime in the analytics ini.
void WriteAnalyticsSettings(const std::wstring& installDir);

// "2024-03-05 07:08:09": the year as it comes, the rest two digits.
std::wstring FormatUpdateTime(const SYSTEMTIME& time);
// The file name with its extension of the installer's own path.
std::wstring AppStoreName(const std::wstring& modulePath);
