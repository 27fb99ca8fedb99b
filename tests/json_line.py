#!/usr/bin/python3
# Checks what notremovable-check.exe --json printed (on stdin): one line in
# printable ASCII (which every code page passes unchanged), RFC 8259 JSON,
# valid against the schema with a real validator (Debian's python3-jsonschema,
# draft 2020-12), within BOUND bytes with its line end where BOUND is not 0,
# and holding each FACT: "a.b.0.c=VALUE", VALUE as JSON (a bare word is a
# string), or "a.b~=VALUE", a list that holds VALUE. Prints what is wrong;
# exits 1 then.
# Usage: json_line.py SCHEMA BOUND [FACT...]
import json
import sys

import jsonschema


def main():
    schema_path, bound = sys.argv[1], int(sys.argv[2])
    data = sys.stdin.buffer.read()
    problems = []
    if not data.endswith(b"\n") or data.count(b"\n") != 1:
        problems.append("not one line")
    # The line end is "\n", or "\r\n" as the C runtime's text mode writes it.
    body = data[:-2] if data.endswith(b"\r\n") else data[:-1]
    outside = sorted({byte for byte in body if not 0x20 <= byte <= 0x7E})
    if outside:
        problems.append("bytes outside printable ASCII: " + " ".join(f"{byte:02x}" for byte in outside))
    if bound and len(data) > bound:
        problems.append(f"{len(data)} bytes, more than {bound}")
    try:
        line = json.loads(data.decode("utf-8", errors="strict"),
                          parse_constant=lambda name: problems.append(f"not JSON: {name}"))
    except ValueError as error:
        print(f"not JSON: {error}: {data[:300]!r}")
        return 1
    with open(schema_path, encoding="utf-8") as schema_file:
        schema = json.load(schema_file)
    validator = jsonschema.Draft202012Validator(schema)
    for error in validator.iter_errors(line):
        problems.append(f"schema: {'/'.join(map(str, error.absolute_path))}: {error.message}")
    # What the schema cannot say: the devices listed and not listed are all the devices counted.
    try:
        if len(line["devices"]) + line["devices_not_listed"] != line["summary"]["devices"]:
            problems.append("devices listed and not listed differ from summary.devices")
    except (KeyError, TypeError):
        pass  # the schema has said what is missing
    for fact in sys.argv[3:]:
        path, _, wanted = fact.partition("=")
        # "PATH~=VALUE": the list at PATH holds VALUE.
        holds = path.endswith("~")
        path = path.rstrip("~")
        try:
            wanted = json.loads(wanted)
        except ValueError:
            pass
        value = line
        try:
            for part in path.split("."):
                value = value[int(part)] if isinstance(value, list) else value[part]
        except (KeyError, IndexError, ValueError, TypeError):
            problems.append(f"no {path}")
            continue
        if holds and not (isinstance(value, list) and wanted in value):
            problems.append(f"{path} is {json.dumps(value)}, which does not hold {json.dumps(wanted)}")
        elif not holds and value != wanted:
            problems.append(f"{path} is {json.dumps(value)}, not {json.dumps(wanted)}")
    if problems:
        print("; ".join(problems) + f": {data.decode('utf-8', errors='replace')}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
