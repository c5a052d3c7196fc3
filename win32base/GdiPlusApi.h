#pragma once

#include <windows.h>

// The few entries of the GDI+ flat interface that the program and the bench use, declared as gdiplus.dll
// exports them: C linkage and the stdcall convention.
struct GdiplusStartupInput {
  UINT32 GdiplusVersion;
  void* DebugEventCallback;
  BOOL SuppressBackgroundThread;
  BOOL SuppressExternalCodecs;
};

// Opaque GDI+ objects; a bitmap is an image and goes to the image entries as one.
struct GpImage;
struct GpBitmap;
using GpStatus = int;  // 0 is Ok
using ARGB = DWORD;

extern "C" {
GpStatus WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output);
void WINAPI GdiplusShutdown(ULONG_PTR token);
GpStatus WINAPI GdipCreateBitmapFromFile(const WCHAR* fileName, GpBitmap** bitmap);
GpStatus WINAPI GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* result, ARGB background);
GpStatus WINAPI GdipDisposeImage(GpImage* image);
void* WINAPI GdipAlloc(size_t size);
void WINAPI GdipFree(void* pointer);
}
