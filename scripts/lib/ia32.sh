# Sourced by scripts/setup and the Wine harness: whether this machine runs 32-bit x86 code at all.
#
#   source scripts/lib/ia32.sh
#   gs_runs_32bit_code && echo yes
#
# It asks the kernel itself, before any 32-bit package is installed: a 96-byte static i386 program
# that does nothing but exit with 42. A kernel without IA-32 emulation refuses it ("Exec format
# error"); any other exit code means it did not run as written. GS_RUNS_32BIT_CODE=yes or no answers
# instead of the kernel (the set-up's own test uses it to replay other machines).

gs_runs_32bit_code() {
  case "${GS_RUNS_32BIT_CODE:-}" in
    yes) return 0 ;;
    no) return 1 ;;
  esac
  local dir status=0
  dir=$(mktemp -d) || return 1
  # ELF header, one loadable segment, then: mov eax, 1 (exit); mov ebx, 42; int 0x80.
  local elf='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'
  elf+='\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'
  elf+='\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00'
  elf+='\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'
  printf "$elf" >"$dir/exit42" 2>/dev/null
  chmod +x "$dir/exit42" 2>/dev/null
  "$dir/exit42" >/dev/null 2>&1 || status=$?
  rm -rf "$dir"
  [ "$status" -eq 42 ]
}
