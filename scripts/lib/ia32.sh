# Sourced by scripts/setup and the Wine harness: whether this machine runs 32-bit x86 code at all.
#
#   source scripts/lib/ia32.sh
#   gs_runs_32bit_code [folder] && echo yes || echo "$gs_ia32_reason"
#
# It asks the kernel itself, before any 32-bit package is installed: a 96-byte static i386 program
# that does nothing but exit with 42. A kernel without IA-32 emulation refuses it ("Exec format
# error"); any other exit code means it did not run as written. The program is written into the folder
# given (the build tree, made if need be), not /tmp: a /tmp mounted noexec would refuse any program,
# and that is no answer about 32-bit code. When the folder refuses programs too, gs_ia32_reason says
# so instead of blaming the kernel. GS_RUNS_32BIT_CODE=yes or no answers instead of the kernel (the
# set-up's own test uses it to replay other machines).

gs_ia32_reason=""

gs_runs_32bit_code() {
  gs_ia32_reason=""
  case "${GS_RUNS_32BIT_CODE:-}" in
    yes) return 0 ;;
    no)
      gs_ia32_reason="this machine runs no 32-bit code"
      return 1
      ;;
  esac
  local parent=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build}
  local dir status=0 said
  mkdir -p "$parent" 2>/dev/null
  dir=$(mktemp -d "$parent/.ia32-probe.XXXXXX" 2>/dev/null) || {
    gs_ia32_reason="cannot make a folder in $parent to try a 32-bit program in"
    return 1
  }
  # ELF header, one loadable segment, then: mov eax, 1 (exit); mov ebx, 42; int 0x80.
  local elf='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'
  elf+='\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'
  elf+='\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00'
  elf+='\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'
  printf "$elf" >"$dir/exit42" 2>/dev/null
  chmod +x "$dir/exit42" 2>/dev/null
  said=$("$dir/exit42" 2>&1 >/dev/null) || status=$?
  rm -rf "$dir"
  [ "$status" -eq 42 ] && return 0
  # The shell's own words tell a folder that refuses every program from a kernel that refuses this one.
  case "$said" in
    *"Permission denied"*)
      gs_ia32_reason="no program may run from $parent (mounted noexec?), so whether this machine runs 32-bit code is not known"
      ;;
    *) gs_ia32_reason="this machine runs no 32-bit code" ;;
  esac
  return 1
}
