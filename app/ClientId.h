#pragma once

// The program's identity: the name of its single-instance mutex and its client name at the system
// service. Both forms carry the same characters.
inline constexpr char ClientId[] = "7416C3CD-C93B-4555-82FE-3A4C4ECE0084";
inline constexpr wchar_t ClientIdW[] = L"7416C3CD-C93B-4555-82FE-3A4C4ECE0084";
