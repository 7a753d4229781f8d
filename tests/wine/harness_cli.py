"""Command-line entry for harness chores: `--prefix` makes the pristine prefix."""
import harness

if __name__ == "__main__":
    raise SystemExit(harness.main({}))
