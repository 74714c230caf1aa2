// The one header through which the capture logic reaches the platform:
// the real SDK on Windows, this folder's layer of the same shape elsewhere.
// MEDIA_OWN_LAYER picks the layer on Windows too, for the test build of the
// plug-in that runs over the scriptable platform.
#ifndef CAPTURE_MEDIA_PLATFORM_H
#define CAPTURE_MEDIA_PLATFORM_H

#if defined(_WIN32) && !defined(MEDIA_OWN_LAYER)
#include <windows.h>
#include <dshow.h>
#include <qedit.h>
// The grabber's class is not in every SDK's headers.
const CLSID CLSID_SampleGrabber = {0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
#else
#include "sdk/com_base.h"
#include "sdk/direct_show.h"
#include "sdk/media_guids.h"
#include "sdk/win32_messages.h"
#include "sdk/win32_threads.h"
#endif

#endif
