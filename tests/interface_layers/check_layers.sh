#!/usr/bin/env bash
# Usage: check_layers.sh SOURCE_ROOT
# The sensor interface's folders stand in layers: a file may include headers of
# its own folder and of the layers below it, never of a layer above or beside
# it. Fails with the offending include lines.
set -euo pipefail
root=$1

# Layer of each folder, lowest first. The interface's own root holds what every
# layer shares (the export macro and the status codes).
declare -A layer=(
    [.]=0
    [log]=1 [settings]=1
    [processing]=2
    [command]=3
    [data_channel]=4
    [registry]=5
)

# Sets `folder` to the folder of path $1 (. for the root).
folder_of() {
    local path=${1#./}
    folder=.
    if [[ $path == */* ]]; then folder=${path%/*}; fi
}

status=0
cd "$root/sensor_interface"
while IFS= read -r file; do
    folder_of "$file"
    if [ -z "${layer[$folder]+set}" ]; then
        echo "$file: folder '$folder' has no layer"
        status=1
    fi
done < <(find . -name '*.h' -o -name '*.cpp')

while IFS= read -r match; do
    file=${match%%:*}
    folder_of "$file"
    [ -n "${layer[$folder]+set}" ] || continue
    if ! [[ $match =~ \"(sensor_interface|platform)/([^\"]*)\" ]]; then
        # Every header of our own is named from the source root, so that the
        # check sees it.
        echo "$match: not named from the source root"
        status=1
        continue
    fi
    [ "${BASH_REMATCH[1]}" = platform ] && continue
    included=${BASH_REMATCH[2]}
    own=$folder
    folder_of "$included"
    target=$folder
    folder=$own
    [ "$target" = "$folder" ] && continue
    if [ -z "${layer[$target]+set}" ]; then
        echo "$file: includes $included from a folder without a layer"
        status=1
    elif [ "${layer[$target]}" -ge "${layer[$folder]}" ]; then
        echo "$file: layer $folder (${layer[$folder]}) includes $included (layer ${layer[$target]})"
        status=1
    fi
done < <(grep -rn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' --include='*.h' --include='*.cpp' .)

# The platform stand-ins lie below the whole interface.
if grep -rn -E '#[[:space:]]*include[[:space:]]+"sensor_interface/' "$root/platform"; then
    echo "platform includes the sensor interface"
    status=1
fi
[ $status -eq 0 ] && echo "every folder of the sensor interface includes only the layers below it"
exit $status
