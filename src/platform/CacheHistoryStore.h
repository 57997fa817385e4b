#pragma once
#include "platform/ComPtr.h"

#include <windows.h>
#include <urlhist.h>

namespace sweepora {

// A URL history store of our own over the internet library's history container, where
// the browser keeps its entries: "Visited: <user>@<url>".
//
//   AddUrl / AddUrlAndNotify  CommitUrlCacheEntryA of "Visited: <user>@<url>" as a
//                             URLHISTORY_CACHE_ENTRY without a local file; the title
//                             goes into the entry's header info as "Title: <title>"
//   EnumUrls                  FindFirst/FindNextUrlCacheEntryA with "Visited:", the
//                             current user's entries only; last visited, last updated and
//                             expires are the entry's access, modified and expiry times
//   SetFilter                 address prefix, compared ignoring case; NOURL and NOTITLE
//                             leave those texts out, other flags are ignored
//   DeleteUrl                 DeleteUrlCacheEntryA of the entry's name
//   QueryUrl                  GetUrlCacheEntryInfoA of the entry's name
//   ClearHistory              DeleteUrlCacheEntryA of every "Visited:" entry, any user's
//   BindToObject, Clone       E_NOTIMPL
//
// In-process and unregistered: only this function hands one out.
ComPtr<IUrlHistoryStg2> CreateCacheHistoryStore();

} // namespace sweepora
