#!/usr/bin/env bash
# fuzz_seeds_reproducible_test.sh FUZZ_SEEDS CORPUS_DIR
# fuzz_seeds gives the same bytes on every run: two runs into folders of different names, from
# different working directories (one given a relative path, one an absolute path) and with
# different temporary folders and environments, write the same trees. The committed corpora
# (CORPUS_DIR) hold exactly what it writes, byte for byte; besides those files, its folders may
# hold only hand-kept regression seeds (regress_*), so that no stale seed stays behind.
set -euo pipefail
tool=$1
corpus=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/first/cwd" "$work/second run/somewhere else" "$work/tmp one" "$work/tmp two"

(cd "$work/first/cwd" && TMPDIR="$work/tmp one" "$tool" ../seeds >/dev/null)
(cd "$work/second run/somewhere else" &&
  env -i PATH=/usr/bin:/bin HOME="$work/second run" TMPDIR="$work/tmp two" LANG=C.UTF-8 \
    "$tool" "$work/second run/corpus" >/dev/null)

status=0
if ! diff -r "$work/first/seeds" "$work/second run/corpus"; then
  echo "FAIL: two runs of fuzz_seeds wrote different seeds"
  status=1
fi

# Every seed it writes is committed as it writes it.
while IFS= read -r -d '' seed; do
  name=${seed#"$work/first/seeds/"}
  if [ ! -f "$corpus/$name" ]; then
    echo "FAIL: $name is not in the committed corpus"
    status=1
  elif ! cmp -s "$seed" "$corpus/$name"; then
    echo "FAIL: $name differs from the committed seed (run fuzz_seeds fuzz/corpus)"
    status=1
  fi
done < <(find "$work/first/seeds" -type f -print0 | sort -z)

# Its folders in the corpus hold no other seed than hand-kept regression seeds.
for folder in "$work/first/seeds"/*/; do
  target=$(basename "$folder")
  while IFS= read -r -d '' seed; do
    name=$(basename "$seed")
    if [ ! -f "$folder/$name" ] && [[ $name != regress_* ]]; then
      echo "FAIL: $target/$name is a seed fuzz_seeds no longer writes"
      status=1
    fi
  done < <(find "$corpus/$target" -maxdepth 1 -type f -print0 | sort -z)
done

if [ -n "$(find "$work/tmp one" "$work/tmp two" -mindepth 1)" ]; then
  echo "FAIL: fuzz_seeds left files in its temporary folder"
  status=1
fi
exit $status
