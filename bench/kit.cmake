quiverleaf_bench(kit_json LIBS quiverleaf_sdk)
