#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""check_records.py SCHEMA FILE: every line of FILE is a JSON object SCHEMA accepts."""
import json
import sys

import jsonschema

with open(sys.argv[1], encoding="utf-8") as schema_file:
    validator = jsonschema.Draft7Validator(json.load(schema_file))
with open(sys.argv[2], encoding="utf-8") as records:
    for number, line in enumerate(records, 1):
        for error in validator.iter_errors(json.loads(line)):
            sys.exit(f"{sys.argv[2]}: line {number}: {error.message}")
