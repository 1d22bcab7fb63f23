# Sourced by scripts/wine-run.sh and tests/hwaccess/wine-driver-test.sh: files put into a Wine prefix's
# Windows folders for one run, and taken out again after it, with what the run left in the registry.
#
#   vx_place_system_files PREFIX ROUTE DRIVER HAL    (DRIVER or HAL may be empty)
#     DRIVER  into windows\system32\drivers, where an administrator puts a driver; on the i686 route also
#             into syswow64\drivers, which is where the 32-bit driver host looks for system32\drivers
#     HAL     a stand-in hal.dll where the driver host finds it: system32 (x86_64 host), syswow64 (the 32-bit
#             host of the i686 route, whose ntoskrnl.exe imports hal.dll) -- never system32\drivers, where
#             Wine does not look; Wine's own hal.dll there is kept aside. With it the override
#             HKCU\Software\Wine\AppDefaults\winedevice.exe\DllOverrides hal=native: the driver host alone
#             takes it, and a missing stand-in fails the driver's start (never "native,builtin", which
#             falls back to Wine's HAL without a word).
#   vx_remove_system_files PREFIX
#     Takes the files out, puts Wine's hal.dll back, drops the override and every service whose image is
#     a driver placed here (Wine keeps services in the prefix).
# Both edit the registry files directly: call them only while no wineserver runs for the prefix.

vx_placed_list() { printf '%s/.vexilor-placed' "$1"; }

vx_place_system_files() {
  local prefix=$1 route=$2 driver=$3 hal=$4 windows=$1/drive_c/windows dir list
  list=$(vx_placed_list "$prefix")
  vx_remove_system_files "$prefix"  # what an interrupted run left
  if [ -n "$driver" ]; then
    for dir in system32/drivers $([ "$route" = i686 ] && echo syswow64/drivers); do
      mkdir -p "$windows/$dir" && cp "$driver" "$windows/$dir/" || return 1
      echo "file $windows/$dir/$(basename "$driver")" >>"$list"
    done
  fi
  if [ -n "$hal" ]; then
    dir=$windows/system32
    [ "$route" = i686 ] && dir=$windows/syswow64
    if [ -f "$dir/hal.dll" ]; then mv "$dir/hal.dll" "$dir/hal.dll.wine" || return 1; fi
    echo "hal $dir" >>"$list"
    cp "$hal" "$dir/hal.dll" || return 1
    printf '\n[Software\\\\Wine\\\\AppDefaults\\\\winedevice.exe\\\\DllOverrides] 1\n"hal"="native"\n' >>"$prefix/user.reg"
  fi
}

# Drops from a registry file every section whose key matches the awk regular expression $2 (a key and its
# subkeys), and the services (with their subkeys) whose ImagePath ends in one of the file names in $3
# (blank-separated).
vx_drop_registry_keys() {
  [ -f "$1" ] || return 0
  VX_DROP=$2 VX_IMAGES=" $3 " awk '
    function flush() {
      if (key != "" && key !~ ENVIRON["VX_DROP"] && !(svc != "" && svc in gone)) printf "%s", text
      text = ""; key = ""; svc = ""
    }
    FNR == 1 { pass++; key = ""; svc = ""; text = "" }
    /^\[/ {
      if (pass == 2) flush()
      key = $0; sub(/\] [0-9]+$/, "", key); sub(/^\[/, "", key)
      svc = key
      if (sub(/^System\\\\CurrentControlSet\\\\Services\\\\/, "", svc)) sub(/\\\\.*/, "", svc)
      else svc = ""
    }
    pass == 1 && /^"ImagePath"=/ && svc != "" {
      n = split($0, parts, /\\\\/); file = parts[n]; sub(/"$/, "", file)
      if (index(ENVIRON["VX_IMAGES"], " " tolower(file) " ")) gone[svc] = 1
      next
    }
    pass == 1 { next }
    key == "" { printf "%s\n", $0; next }
    { text = text $0 "\n" }
    END { flush() }
  ' "$1" "$1" >"$1.tmp" && mv "$1.tmp" "$1"
}

vx_remove_system_files() {
  local prefix=$1 list kind path images=""
  list=$(vx_placed_list "$prefix")
  [ -f "$list" ] || return 0
  while read -r kind path; do
    case "$kind" in
      file) rm -f "$path"; images+="$(basename "$path" | tr 'A-Z' 'a-z') " ;;
      hal) rm -f "$path/hal.dll"; if [ -f "$path/hal.dll.wine" ]; then mv "$path/hal.dll.wine" "$path/hal.dll"; fi ;;
    esac
  done <"$list"
  vx_drop_registry_keys "$prefix/user.reg" '^Software\\\\Wine\\\\AppDefaults\\\\winedevice\.exe\\\\DllOverrides$' ""
  [ -n "$images" ] && vx_drop_registry_keys "$prefix/system.reg" '^$' "$images"
  rm -f "$list"
}
