-- ardour7-lua driver for wrappers. "new FOLDER NAME..." makes a session in FOLDER with one stereo
-- track per VST 2 plug-in NAME, rolls, saves and closes; "reopen FOLDER" opens it again, rolls
-- and prints each track's plug-in, then closes.
AudioEngine:set_backend("None (Dummy)", "", "")
local s
if arg[1] == "new" then
    s = assert(create_session(arg[2] .. "/session", "session", 48000), "no session")
    for i = 3, #arg do
        local track = s:new_audio_track(2, 2, nil, 1, "track" .. i, ARDOUR.PresentationInfo.max_order,
            ARDOUR.TrackMode.Normal, true):front()
        local plugin = ARDOUR.LuaAPI.new_plugin(s, arg[i], ARDOUR.PluginType.LXVST, "")
        assert(not plugin:isnil(), "no plug-in " .. arg[i])
        assert(track:add_processor_by_index(plugin, 0, nil, true) == 0, "not added")
    end
else
    s = assert(load_session(arg[2] .. "/session", "session"), "session not reopened")
end
s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(2000000)
print("rolled to sample " .. s:transport_sample())
s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(200000)
for route in s:get_routes():iter() do
    local processor = route:nth_plugin(0)
    if not processor:isnil() then
        print("plug-in on " .. route:name() .. ": " .. processor:display_name())
    end
end
s:save_state("", false, false, false, false, false)
-- Lua's hold on tracks and plug-ins goes before the session does: a track it frees after
-- close_session() is destroyed after its engine, which crashes Ardour.
collectgarbage()
close_session()
print("closed")
